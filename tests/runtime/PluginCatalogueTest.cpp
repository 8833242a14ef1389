// The catalogue from real pages through the SDK: one plugin of each module
// and each answer shape, and every notification reaching the page's handlers.
#include <QSignalSpy>

#include <thread>

#include "HostHarness.h"
#include "LauncherEnvironment.h"
#include "ShownPage.h"
#include "TestHttpServer.h"
#include "core/VellWidget.h"
#include "plugins/account_plugins/VellGetLoginUserDataPlugin.h"
#include "plugins/account_plugins/VellLoginSuccessPlugin.h"
#include "plugins/basic_plugins/VellLocalStoragePlugin.h"
#include "plugins/browser_plugins/VellBrowserWindowStatePlugin.h"
#include "plugins/data_analysis_plugins/VellReportPlugin.h"
#include "plugins/game_plugins/VellExecGameToolPlugin.h"
#include "plugins/game_plugins/VellExtensionCardPlugin.h"
#include "plugins/game_plugins/VellGameRecordPlugin.h"
#include "plugins/game_plugins/VellGetGameDownloadStatusPlugin.h"
#include "plugins/game_plugins/VellGetGameSelectionsPlugin.h"
#include "plugins/game_plugins/VellSaveGameServerSelectionPlugin.h"
#include "plugins/game_plugins/VellSeasonDataPlugin.h"
#include "plugins/game_plugins/VellSeasonListPlugin.h"
#include "plugins/game_plugins/VellSelectInstallDirectoryPlugin.h"
#include "plugins/network_plugins/VellRequestPlugin.h"
#include "plugins/settings_plugins/VellUpdateSettingsPlugin.h"
#include "plugins/ui_plugins/VellToastPlugin.h"

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment());

TEST_F(ShownPage, OnePluginOfEachModuleAndShapeAnswersThePage) {
  QSignalSpy loggedIn(Find<VellLoginSuccessPlugin>(), &VellLoginSuccessPlugin::FireLoginSuccess);
  QSignalSpy windowAction(Find<VellBrowserWindowStatePlugin>(), &VellBrowserWindowStatePlugin::FireChangeWindowAction);
  QSignalSpy reported(Find<VellReportPlugin>(), &VellReportPlugin::FireReport);
  QSignalSpy updated(Find<VellUpdateSettingsPlugin>(), &VellUpdateSettingsPlugin::FireUpdateSettings);
  QObject::connect(Find<VellGetLoginUserDataPlugin>(), &VellGetLoginUserDataPlugin::FireGetLoginUserData,
                   [](const VellGetLoginUserDataPluginModel::FireGetLoginUserDataCallback& callback) {
                     callback({R"({"user":"u"})", ""});
                   });
  QObject::connect(Find<VellLocalStoragePlugin>(), &VellLocalStoragePlugin::FireLocalStorage,
                   [](const VellLocalStoragePluginModel::FireLocalStorageModel& model,
                      const VellLocalStoragePluginModel::FireLocalStorageCallback& callback) {
                     callback({"", model.url + "=" + model.data.dump()});
                   });
  // Posted: the host answers from a thread of its own.
  QObject::connect(Find<VellExecGameToolPlugin>(), &VellExecGameToolPlugin::FireExecGameTool,
                   [](VellExecGameToolPluginModel::RequestModel model,
                      const VellExecGameToolPluginModel::FireExecGameToolCallback& callback) {
                     std::thread([callback, model] { callback({"ran " + model.executePath}); }).detach();
                   });
  QObject::connect(Find<VellGetGameSelectionsPlugin>(), &VellGetGameSelectionsPlugin::FireGetGameSelections,
                   [](const VellGetGameSelectionsPlugin::FireGetGameSelectionsCallback& callback) { callback({}); });
  QObject::connect(Find<VellSelectInstallDirectoryPlugin>(), &VellSelectInstallDirectoryPlugin::FireSelectInstallDirectory,
                   [](VellSelectInstallDirectoryPluginModelModel::RequestModel,
                      VellSelectInstallDirectoryPluginModelModel::FireSelectInstallDirectoryCallback callback) {
                     callback();
                   });
  QObject::connect(Find<VellRequestPlugin>(), &VellRequestPlugin::FireRequest,
                   [](VellRequestPluginModel::FireRequestModel model, const VellRequestPluginModel::FireRequestCallback& callback) {
                     callback({"", model.method + " " + model.url + " " + model.headers["x"]});
                   });

  widget->LoadUrl(Page(
      "const m = vell.accountModule, g = vell.gameModule;"
      "m.loginSuccess({account: 'a', accountOpenId: 'o', authToken: 't', refreshToken: 'r', loginType: 1, isAuthRemember: true})"
      "  .then(v => log('loginSuccess', v));"
      "m.data.getLoginUserData().then(v => log('getLoginUserData', v.strJson));"
      "vell.basicModule.localStorage({url: 'k', data: [1], headers: {}, method: 'set'}).then(v => log('localStorage', v));"
      "vell.browserModule.browserWindowState({windowAction: 2}).then(v => log('browserWindowState', v));"
      "vell.dataAnalysisModule.report({key: 'k', desc: 'd', extJson: '{}'}).then(v => log('report', v));"
      "g.execGameTool({appCode: 'g', executePath: 'tool'}).then(v => log('execGameTool', v));"
      "g.data.getGameSelections().then(v => log('getGameSelections', v));"
      "g.selectInstallDirectory({appCode: 'g'}).then(v => log('selectInstallDirectory', v));"
      "vell.networkModule.request({url: 'https://x', data: null, headers: {x: 'y'}, method: 'GET'}).then(v => log('request', v));"
      "vell.uiModule.closeWebDialog({type: 'Nope', payload: null}).catch(e => log('closeWebDialog', e.code, e.message));"
      "vell.settingsModule.updateSettings('not an object').then(v => log('updateSettings', v));"));
  EXPECT_TRUE(WaitForConsole("loginSuccess|null"));
  EXPECT_TRUE(WaitForConsole("getLoginUserData|{\"user\":\"u\"}"));
  EXPECT_TRUE(WaitForConsole("localStorage|{\"strError\":\"\",\"strJson\":\"k=[1]\"}"));
  EXPECT_TRUE(WaitForConsole("browserWindowState|null"));
  EXPECT_TRUE(WaitForConsole("report|null"));
  EXPECT_TRUE(WaitForConsole("execGameTool|{\"strError\":\"ran tool\"}"));
  EXPECT_TRUE(WaitForConsole("getGameSelections|[]"));
  EXPECT_TRUE(WaitForConsole("selectInstallDirectory|null"));
  EXPECT_TRUE(WaitForConsole("request|{\"strError\":\"\",\"strJson\":\"GET https://x y\"}"));
  EXPECT_TRUE(WaitForConsole("closeWebDialog|InvalidType|[InvalidType]: Invalid type = Nope"));
  EXPECT_TRUE(WaitForConsole("updateSettings|null"));
  ASSERT_EQ(loggedIn.count(), 1);
  EXPECT_TRUE(loggedIn[0][0].value<VellLoginSuccessPluginModel::FireLoginSuccessModel>().isAuthRemember);
  EXPECT_EQ(windowAction.count(), 1);
  EXPECT_EQ(reported.count(), 1);
  ASSERT_EQ(updated.count(), 1);
  EXPECT_EQ(updated[0][0].value<std::string>(), "\"not an object\"");
}

TEST_F(ShownPage, ReloadActsOnTheCallingBrowser) {
  TestHttpServer server;
  server.Route("/page", {200, "text/html",
                         "<script>console.log('loaded');"
                         "if (!sessionStorage.done) { sessionStorage.done = 1; vell.browserModule.reload(); }</script>", 0});
  QSignalSpy starts(signals_, &VellSignalsWidget::OnLoadStart);
  widget->LoadUrl(server.Url("/page"));
  EXPECT_TRUE(WaitUntil([&] { return ConsoleLines("loaded").size() >= 2; }));
  EXPECT_GE(starts.count(), 2);
}

TEST_F(ShownPage, EveryNotificationReachesThePagesHandlers) {
  widget->LoadUrl(Page(
      "const on = (module, name) => vell[module]['on' + name](v => log(name, v));"
      "on('accountModule', 'AccountChanged'); on('browserModule', 'WindowNormalSizeChanged');"
      "['GameCurrentSelectedServerChanged', 'ExtensionCardChanged', 'GameRecordChanged', 'SeasonDataChanged',"
      " 'SeasonListChanged', 'GameDownloadStatusChanged'].forEach(n => on('gameModule', n));"
      "on('uiModule', 'Toast'); log('subscribed');"));
  ASSERT_TRUE(WaitForConsole("subscribed"));
  const VellWidget* shown = widget.get();
  EXPECT_EQ(Find<VellLoginSuccessPlugin>()->NotifyAccountChanged(shown, R"({"id":1})"), nullptr);
  EXPECT_EQ(VellBrowserWindowStatePlugin::NotifyWindowNormalSizeChanged(shown, false), nullptr);
  EXPECT_EQ(VellSaveGameServerSelectionPlugin::NotifyGameCurrentSelectedServerChanged(shown, "abc"), nullptr);
  EXPECT_EQ(VellExtensionCardPlugin::NotifyExtensionCardChanged(shown, "[1]"), nullptr);
  EXPECT_EQ(VellGameRecordPlugin::NotifyGameRecordChanged(shown, R"({"r":2})"), nullptr);
  EXPECT_EQ(VellSeasonDataPlugin::NotifySeasonDataChanged(shown, R"({"s":3})"), nullptr);
  EXPECT_EQ(VellSeasonListPlugin::NotifySeasonListChanged(shown, "[4]"), nullptr);
  EXPECT_EQ(VellToastPlugin::NotifyToast(shown, {"hi", 1500, 1}), nullptr);
  auto* download = Find<VellGetGameDownloadStatusPlugin>();
  VellGetGameDownloadStatusModel::ResponseModel status{"g", 4, "1", "2", 0.5, "m", "", "", "", true, 0, false};
  EXPECT_EQ(download->NotifyGameDownloadStatusChanged(widget.get(), status, true, true), nullptr);
  EXPECT_EQ(download->NotifyGameDownloadStatusChanged(widget.get(), status, true, true), nullptr);  // unchanged: skipped
  EXPECT_EQ(download->NotifyGameDownloadStatusChanged(widget.get(), R"({"appCode":"h"})", false, false), nullptr);
  EXPECT_EQ(download->NotifyGameDownloadStatusChanged(QPointer<VellWidget>(), "{}", false, false), nullptr);

  EXPECT_TRUE(WaitForConsole("AccountChanged|{\"id\":1}"));
  EXPECT_TRUE(WaitForConsole("WindowNormalSizeChanged|false"));
  EXPECT_TRUE(WaitForConsole("GameCurrentSelectedServerChanged|{\"appCode\":\"abc\"}"));
  EXPECT_TRUE(WaitForConsole("ExtensionCardChanged|[1]"));
  EXPECT_TRUE(WaitForConsole("GameRecordChanged|{\"r\":2}"));
  EXPECT_TRUE(WaitForConsole("SeasonDataChanged|{\"s\":3}"));
  EXPECT_TRUE(WaitForConsole("SeasonListChanged|[4]"));
  EXPECT_TRUE(WaitForConsole("Toast|{\"message\":\"hi\",\"ms\":1500,\"position\":1}"));
  EXPECT_TRUE(WaitForConsole("GameDownloadStatusChanged|{\"appCode\":\"h\"}"));
  const std::string first =
      R"(GameDownloadStatusChanged|{"appCode":"g","currentVersion":"1","downloadType":0,"errMsg":"","isPreDownloadVisible":true,"isPreUpdateFormat":false,"msg":"m","nextVersion":"2","progress":0.5,"speed":"","time":"","uiStage":4})";
  EXPECT_EQ(ConsoleLines(first).size(), 1u);
  EXPECT_EQ(HostLog().Matching("$$notifyGameDownloadStatusChanged: {\"appCode\":\"g\"").size(), 1u);
  EXPECT_EQ(VellToastPlugin::NotifyToast(nullptr, {})->errorMessage, "RunJavascript failed! vellWidget is nullptr");
}

}  // namespace
