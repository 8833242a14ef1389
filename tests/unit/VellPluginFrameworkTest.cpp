// The plugin framework without a browser: factory, cluster, registration,
// model reading and the plugin flow's answers (captured by a frame double).
#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include "CapturingFrame.h"
#include "WaitUntil.h"

#include <algorithm>
#include <thread>

#include "core/VellSignalsWidget.h"
#include "plugins/VellActionNames.h"
#include "plugins/VellPluginRegister.h"
#include "plugins/basic_plugins/VellEmitPlugin.h"
#include "plugins/basic_plugins/VellMoveWindowPlugin.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"
#include "plugins/browser_plugins/VellPageReadyPlugin.h"
#include "v8_api/VellV8PluginFactoryCluster.h"

namespace {

VellProcessMessage Call(const QString& action, const std::string& json) {
  VellProcessMessage message;
  message.SetMessageName(action.toStdString());
  message.SetRequestId(7);
  message.SetValue(json);
  return message;
}

class DummyPlugin : public VellV8ApiPluginAbstract {};

// The posted answer shape without a request model.
class PostedPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit PostedPlugin(QObject* parent) : QObject(parent) {}
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_process_id_t,
                                   const VellProcessMessage& message) override {
    CallbackFlow<VellPingPongPluginModel::ResponseModel>(this, frame, message, &PostedPlugin::FirePosted, Answer::Posted);
  }

 signals:
  void FirePosted(VellPingPongPluginModel::FirePingPongCallback callback);
};

TEST(VellV8PluginFactoryTest, RegistrationLookupAndDispatch) {
  VellV8PluginFactory factory;
  auto* first = new DummyPlugin();
  auto* second = new DummyPlugin();
  EXPECT_EQ(factory.Register("jssdk::a:b", first), nullptr);
  auto error = factory.Register("jssdk::a:b", second);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->errorMessage, "unable to register plugin twice. actionName = jssdk::a:b");
  EXPECT_EQ(factory.Plugin("jssdk::a:b").get(), first);
  EXPECT_EQ(factory.Plugin("jssdk::nope"), nullptr);
  EXPECT_EQ(factory.ActionNames().size(), 1u);

  auto message = CefProcessMessage::Create("jssdk::nope");
  EXPECT_FALSE(factory.HandleFromCefProcessMessage(nullptr, nullptr, PID_RENDERER, message));
  EXPECT_EQ(factory.UnRegister("jssdk::a:b"), nullptr);
  ASSERT_NE(factory.UnRegister("jssdk::a:b"), nullptr);
  EXPECT_EQ(factory.UnRegister("jssdk::a:b")->errorMessage,
            "unable to unregister plugin due to not found. actionName = jssdk::a:b");
  // The factory never owned them.
  delete first;
  delete second;
}

TEST(VellV8PluginFactoryTest, APluginItsOwnerDestroyedReadsAsUnregistered) {
  VellV8PluginFactory factory;
  auto* owner = new QObject();
  factory.Register(VellActionNames::kPingPong, new VellPingPongPlugin(owner));
  ASSERT_NE(factory.Plugin(VellActionNames::kPingPong), nullptr);
  delete owner;  // deletes the plugin, exactly once
  EXPECT_EQ(factory.Plugin(VellActionNames::kPingPong), nullptr);
  EXPECT_FALSE(factory.HandleFromCefProcessMessage(nullptr, nullptr, PID_RENDERER,
                                                   CefProcessMessage::Create(VellActionNames::kPingPong.toStdString())));
}

TEST(VellV8PluginFactoryTest, AnUnservedCallIsRejectedWithItsRequestIdAndAReadableName) {
  CefRefPtr<CapturingFrame> frame(new CapturingFrame());
  CefRefPtr<CefProcessMessage> wire;
  VellProcessMessage::ConvertToArgumentList(Call("jssdk::basicModule:nope", R"({"big":"payload"})"), wire);
  VellV8PluginFactory::RejectUnserved(frame, wire);
  ASSERT_EQ(frame->Sent().size(), 1u);
  const VellProcessMessage answer = frame->Sent()[0];
  EXPECT_EQ(answer.GetRequestId(), 7);
  EXPECT_EQ(answer.GetErrorCode(), "#ActionNotFound");
  EXPECT_EQ(answer.GetErrorMessage(), R"(no plugin serves the action "jssdk::basicModule:nope")");
  EXPECT_EQ(answer.GetValue(), "");

  EXPECT_EQ(VellV8PluginFactory::QuotedActionName(std::string("jssdk::a\0b\n", 11)), R"("jssdk::a\u0000b\n")");
  const std::string shortened = VellV8PluginFactory::QuotedActionName("jssdk::" + std::string(1000, '\xC3'));
  EXPECT_LT(shortened.size(), 400u);
  EXPECT_NE(shortened.find("... (1007 bytes)"), std::string::npos);
}

TEST(VellV8PluginFactoryClusterTest, FactoriesFollowTheirBrowsers) {
  auto* cluster = VellV8PluginFactoryCluster::Instance();
  VellV8PluginFactory* factory = nullptr;
  auto error = cluster->GetFactory(4711, factory);
  ASSERT_NE(error, nullptr);
  EXPECT_NE(error->errorMessage.find("Unable to get factory by nBrowserId = 4711. m_mapFactory.size = "),
            std::string::npos);

  auto* owner = new QObject();
  ASSERT_EQ(cluster->Register(4711, owner), nullptr);
  ASSERT_EQ(cluster->GetFactory(4711, factory), nullptr);
  // A second registration keeps the first factory.
  auto* otherOwner = new QObject();
  ASSERT_EQ(cluster->Register(4711, otherOwner), nullptr);
  VellV8PluginFactory* again = nullptr;
  ASSERT_EQ(cluster->GetFactory(4711, again), nullptr);
  EXPECT_EQ(again, factory);

  // Every plugin is a child of its module register, a child of the owner.
  const auto registers = owner->children();
  EXPECT_EQ(registers.size(), 8);
  EXPECT_NE(owner->findChild<VellPingPongPlugin*>(), nullptr);
  EXPECT_EQ(owner->findChild<VellPingPongPlugin*>()->parent()->parent(), owner);

  EXPECT_EQ(cluster->UnRegister(4711), nullptr);
  EXPECT_NE(cluster->GetFactory(4711, factory), nullptr);
  ASSERT_NE(cluster->UnRegister(4711), nullptr);
  EXPECT_NE(cluster->UnRegister(4711)->errorMessage.find("Unable to find nBrowserId = 4711"), std::string::npos);

  // An owner destroyed before its browser's unregistration takes the entry along.
  ASSERT_EQ(cluster->Register(4712, otherOwner), nullptr);
  delete otherOwner;
  EXPECT_NE(cluster->GetFactory(4712, factory), nullptr);
  delete owner;

  VellV8PluginFactory* none = nullptr;
  EXPECT_EQ(cluster->GetFactory(CefRefPtr<CefV8Context>(), none)->errorMessage,
            "VellV8PluginFactoryCluster::GetFactory Failed. Unable to get pCefV8Context");
}

// The SDK's vocabulary, spelled out here rather than taken from the
// production constants, so that a misspelt name there is caught.
const std::vector<std::string> kExpectedActions = {
      "jssdk::accountModule:bindAccount",
      "jssdk::accountModule:data:getLoginUserData",
      "jssdk::accountModule:getAccountAssociateMobilePhone",
      "jssdk::accountModule:loginSuccess",
      "jssdk::accountModule:logout",
      "jssdk::accountModule:riskLimitResult",
      "jssdk::accountModule:selectAccount",
      "jssdk::accountModule:setAccountAssociateMobilePhone",
      "jssdk::accountModule:unbindAccount",
      "jssdk::basicModule:data:getChannelRemoteConfigData",
      "jssdk::basicModule:data:getRemoteConfigData",
      "jssdk::basicModule:data:isFirstLaunch",
      "jssdk::basicModule:emit",
      "jssdk::basicModule:localStorage",
      "jssdk::basicModule:moveWindow",
      "jssdk::basicModule:pingPong",
      "jssdk::browserModule:browserBack",
      "jssdk::browserModule:browserForward",
      "jssdk::browserModule:browserWindowState",
      "jssdk::browserModule:pageReady",
      "jssdk::browserModule:reload",
      "jssdk::browserModule:reloadWithoutCache",
      "jssdk::dataAnalysisModule:report",
      "jssdk::gameModule:addGame",
      "jssdk::gameModule:createGameTask",
      "jssdk::gameModule:data:getExtensionCard",
      "jssdk::gameModule:data:getGameCurrentSelectedServer",
      "jssdk::gameModule:data:getGameDownloadStatus",
      "jssdk::gameModule:data:getGameInfo",
      "jssdk::gameModule:data:getGameInstallerBasicInfo",
      "jssdk::gameModule:data:getGameLibraries",
      "jssdk::gameModule:data:getGamePolicies",
      "jssdk::gameModule:data:getGameRecentServerList",
      "jssdk::gameModule:data:getGameRecord",
      "jssdk::gameModule:data:getGameSelections",
      "jssdk::gameModule:data:getGameServerList",
      "jssdk::gameModule:data:getGameToolInfo",
      "jssdk::gameModule:data:getGameZonePageConfig",
      "jssdk::gameModule:data:getRatingSystemInfo",
      "jssdk::gameModule:data:getSeasonData",
      "jssdk::gameModule:data:getSeasonList",
      "jssdk::gameModule:execGameTool",
      "jssdk::gameModule:saveGameServerSelection",
      "jssdk::gameModule:selectInstallDirectory",
      "jssdk::gameModule:switchGame",
      "jssdk::networkModule:request",
      "jssdk::settingsModule:data:getSettings",
      "jssdk::settingsModule:saveSettings",
      "jssdk::settingsModule:updateSettings",
      "jssdk::uiModule:closeConfirmDialog",
      "jssdk::uiModule:closeWebDialog",
      "jssdk::uiModule:openConfirmDialog",
      "jssdk::uiModule:openDialog",
      "jssdk::uiModule:openGameServerDialog",
      "jssdk::uiModule:openInExplorer",
      "jssdk::uiModule:openWebDialog",
      "jssdk::uiModule:toast",
      "jssdk::uiModule:updateWebDialog",
};

std::vector<std::string> SortedActionNames(const VellV8PluginFactory& factory) {
  std::vector<std::string> names;
  for (const QString& name : factory.ActionNames()) names.push_back(name.toStdString());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(VellPluginRegisterTest, RegistersEveryActionUnderItsName) {
  QObject owner;
  VellV8PluginFactory factory;
  ASSERT_EQ(VellPluginRegister::Register(&owner, &factory), nullptr);
  EXPECT_EQ(SortedActionNames(factory), kExpectedActions);
}

TEST(VellPluginRegisterTest, RegisteringTwiceFailsAtTheFirstActionOfTheFirstModule) {
  QObject owner;
  VellV8PluginFactory factory;
  ASSERT_EQ(VellPluginRegister::Register(&owner, &factory), nullptr);
  auto error = VellPluginRegister::Register(&owner, &factory);
  std::vector<std::string> chain;
  VellError::CollectErrorStrings(chain, error);
  ASSERT_EQ(chain.size(), 3u);
  EXPECT_NE(chain[0].find("VellPluginRegister failed."), std::string::npos);
  EXPECT_NE(chain[1].find("VellAccountPluginsRegister failed."), std::string::npos);
  EXPECT_NE(chain[2].find("unable to register plugin twice. actionName = jssdk::accountModule:bindAccount"),
            std::string::npos);
}

TEST(VellPluginRegisterTest, ModulesRegisterInOrderAndStopAtTheFirstThatFails) {
  QObject owner;
  VellV8PluginFactory factory;
  // The game module's first action taken already: the game module fails,
  // the modules before it are registered, the ones after it are not run.
  ASSERT_EQ(factory.Register("jssdk::gameModule:addGame", new VellPingPongPlugin(&owner)), nullptr);
  auto error = VellPluginRegister::Register(&owner, &factory);
  std::vector<std::string> chain;
  VellError::CollectErrorStrings(chain, error);
  ASSERT_EQ(chain.size(), 3u);
  EXPECT_NE(chain[1].find("VellGamePluginsRegister failed."), std::string::npos);
  EXPECT_NE(chain[2].find("actionName = jssdk::gameModule:addGame"), std::string::npos);
  const auto names = SortedActionNames(factory);
  const auto has = [&names](const std::string& name) { return std::count(names.begin(), names.end(), name) == 1; };
  for (const char* before : {"jssdk::accountModule:bindAccount", "jssdk::basicModule:pingPong",
                             "jssdk::browserModule:reload", "jssdk::dataAnalysisModule:report"}) {
    EXPECT_TRUE(has(before)) << before;
  }
  for (const char* after : {"jssdk::gameModule:switchGame", "jssdk::networkModule:request", "jssdk::uiModule:toast",
                            "jssdk::settingsModule:saveSettings"}) {
    EXPECT_FALSE(has(after)) << after;
  }
}

TEST(VellJsonFieldReaderTest, NumbersStringsAndBooleansAreReadStrictly) {
  using Model = VellMoveWindowPluginModel::RequestModel;
  std::shared_ptr<VellError> error;
  auto parse = [&](const std::string& json) {
    error = nullptr;
    return VellNlohmannJsonEnhance::Parse<Model>(json, error);
  };
  Model model = parse(R"({"deltaX": -12.9, "deltaY": true, "extra": [1]})");
  EXPECT_EQ(error, nullptr);
  EXPECT_EQ(model.deltaX, -12);
  EXPECT_EQ(model.deltaY, 1);
  model = parse(R"({"deltaX": 2147483647, "deltaY": -2147483648})");
  EXPECT_EQ(error, nullptr);
  EXPECT_EQ(model.deltaX, 2147483647);
  EXPECT_EQ(model.deltaY, -2147483648);
  for (const char* bad : {R"({"deltaX": 2147483648, "deltaY": 0})", R"({"deltaX": 1e300, "deltaY": 0})",
                          R"({"deltaX": -2147483649.5, "deltaY": 0})", R"({"deltaX": "1", "deltaY": 0})",
                          R"({"deltaX": null, "deltaY": 0})", R"({"deltaX": 1})", R"([1, 2])", "not json",
                          R"({"deltaX": 1, "deltaY": 2 /* no comments */})"}) {
    parse(bad);
    EXPECT_NE(error, nullptr) << bad;
    if (error) {
      EXPECT_EQ(error->errorMessage.rfind("JSON parse error: ", 0), 0u) << bad;
    }
  }
  std::shared_ptr<VellError> textError;
  VellNlohmannJsonEnhance::Parse<VellPingPongPluginModel::RequestModel>(R"({"text": 5})", textError);
  EXPECT_NE(textError, nullptr);
}

class VellPluginFlowTest : public ::testing::Test {
 protected:
  QObject owner;
  CefRefPtr<CapturingFrame> frame{new CapturingFrame()};
};

TEST_F(VellPluginFlowTest, EmitShapeIsAnsweredWithNullEvenWithoutListeners) {
  auto* plugin = new VellMoveWindowPlugin(&owner);
  plugin->HandleFromCefProcessMessage(nullptr, frame, PID_RENDERER, Call(VellActionNames::kMoveWindow, R"({"deltaX":3,"deltaY":-4})"));
  ASSERT_TRUE(WaitUntil([&] { return frame->Sent().size() == 1; }));
  const auto answer = frame->Sent()[0];
  EXPECT_EQ(answer.GetRequestId(), 7);
  EXPECT_EQ(answer.GetResponseValue(), "");
  EXPECT_EQ(answer.GetErrorMessage(), "");

  QSignalSpy ready(new VellPageReadyPlugin(&owner), &VellPageReadyPlugin::FirePageReady);
  owner.findChild<VellPageReadyPlugin*>()->HandleFromCefProcessMessage(nullptr, frame, PID_RENDERER,
                                                                       Call(VellActionNames::kPageReady, "ignored"));
  EXPECT_EQ(ready.count(), 1);  // on the plugin's own thread: at once

  auto* emitter = new VellEmitPlugin(&owner);
  QSignalSpy emitted(emitter, &VellEmitPlugin::FireEmit);
  emitter->HandleFromCefProcessMessage(nullptr, frame, PID_RENDERER, Call(VellActionNames::kEmit, "not json {"));
  ASSERT_EQ(emitted.count(), 1);
  EXPECT_EQ(emitted[0][0].value<std::string>(), "not json {");
  EXPECT_EQ(frame->Sent().size(), 3u);
  EXPECT_EQ(VellEmitPlugin::GetBroadcastJsCode(R"({"a":1})"), R"(window.vell.basicModule.registerEmitHandler({"a":1}))");
}

TEST_F(VellPluginFlowTest, AnUnparsablePayloadIsAnsweredWithTheParseErrorAndEmitsNothing) {
  auto* plugin = new VellMoveWindowPlugin(&owner);
  QSignalSpy moved(plugin, &VellMoveWindowPlugin::FireMoveWindowPlugin);
  plugin->HandleFromCefProcessMessage(nullptr, frame, PID_RENDERER, Call(VellActionNames::kMoveWindow, R"({"deltaX":"left"})"));
  ASSERT_EQ(frame->Sent().size(), 1u);
  EXPECT_EQ(frame->Sent()[0].GetErrorCode(), "#ParseValue2JsonError");
  EXPECT_NE(frame->Sent()[0].GetErrorMessage().find("JSON parse error: "), std::string::npos);
  QCoreApplication::processEvents();
  EXPECT_EQ(moved.count(), 0);
}

TEST_F(VellPluginFlowTest, CallbackShapeAnswersEachCallOnTheCallingThread) {
  auto* plugin = new VellPingPongPlugin(&owner);
  VellPingPongPluginModel::FirePingPongCallback kept;
  QObject::connect(plugin, &VellPingPongPlugin::FirePingPong,
                   [&](const VellPingPongPluginModel::RequestModel& request, VellPingPongPluginModel::FirePingPongCallback callback) {
                     EXPECT_EQ(request.text, "h\xC3\xA9");
                     kept = callback;
                   });
  // Arriving from another thread (as from the CEF UI thread): queued to the plugin's thread.
  std::thread([&] {
    plugin->HandleFromCefProcessMessage(nullptr, frame, PID_RENDERER, Call(VellActionNames::kPingPong, "{\"text\":\"h\xC3\xA9\"}"));
  }).join();
  ASSERT_TRUE(WaitUntil([&] { return kept != nullptr; }));
  EXPECT_TRUE(frame->Sent().empty());  // nothing at emission

  // Invalid UTF-8 from the host is repaired rather than thrown on.
  std::thread([&] { kept({"pong \xC3\xA9 \xFF"}); }).join();
  kept({"again"});
  const auto sent = frame->Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].GetResponseValue(), "{\"text\":\"pong \xC3\xA9 \xEF\xBF\xBD\"}");
  EXPECT_EQ(sent[1].GetResponseValue(), R"({"text":"again"})");

  // After the frame is gone nothing is sent.
  frame->valid = false;
  kept({"late"});
  EXPECT_EQ(frame->Sent().size(), 2u);
}

TEST_F(VellPluginFlowTest, PostedCallbackAnswersOnThePluginsThread) {
  auto* plugin = new PostedPlugin(&owner);
  VellPingPongPluginModel::FirePingPongCallback kept;
  QObject::connect(plugin, &PostedPlugin::FirePosted, [&](VellPingPongPluginModel::FirePingPongCallback callback) { kept = callback; });
  plugin->HandleFromCefProcessMessage(nullptr, frame, PID_RENDERER, Call("jssdk::test:posted", "anything"));
  ASSERT_TRUE(kept != nullptr);
  std::thread([&] { kept({"from a worker"}); }).join();
  EXPECT_TRUE(frame->Sent().empty());  // queued to the plugin's thread
  ASSERT_TRUE(WaitUntil([&] { return frame->Sent().size() == 1; }));
  EXPECT_EQ(frame->Sent()[0].GetResponseValue(), R"({"text":"from a worker"})");
  // A callback outliving its plugin does nothing.
  delete plugin;
  kept({"orphan"});
  QCoreApplication::processEvents();
  EXPECT_EQ(frame->Sent().size(), 1u);
}

}  // namespace

#include "VellPluginFrameworkTest.moc"
