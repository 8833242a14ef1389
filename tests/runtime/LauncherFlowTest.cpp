// The launcher's flow as the README tells it, with real pages, built twice:
//   subprocess - render sub-processes (the framework's sub-process executable);
//   single     - the single-process feature (render side in this process).
// Every SDK call settles, a notification sent after LoadUrl reaches the page
// that LoadUrl asked for, pages loaded as soon as their browser exists call
// the launcher without errors, and shutdown waits on the Qt thread.
#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>

#include <memory>
#include <set>
#include <vector>

#include "HostHarness.h"
#include "LauncherEnvironment.h"
#include "ShownPage.h"
#include "TestHttpServer.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellHandler.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"
#include "plugins/browser_plugins/VellPageReadyPlugin.h"
#include "plugins/ui_plugins/VellToastPlugin.h"

namespace {

#if defined(VELL_TEST_SINGLE_PROCESS)
const VellFeatureSettings::ModuleTable kFeatures = {{"class VellApp", {{"IsSingleProcessEnable", "ON"}}}};
#else
const VellFeatureSettings::ModuleTable kFeatures = {};
#endif

LogCapture* const g_log = &HostLog();

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment(kFeatures));

void AnswerPingPong(VellPingPongPlugin* plugin) {
  QObject::connect(plugin, &VellPingPongPlugin::FirePingPong,
                   [](const VellPingPongPluginModel::RequestModel& request,
                      const VellPingPongPluginModel::FirePingPongCallback& callback) { callback({request.text}); });
}

TEST_F(ShownPage, ActionsTheLauncherDoesNotServeAreRejectedOnceAndThePageGoesOn) {
  AnswerPingPong(Find<VellPingPongPlugin>());
  widget->LoadUrl(Page(R"JS(
    const names = {
      unknownAction: 'jssdk::basicModule:noSuchAction',
      unknownModule: 'jssdk::noSuchModule:pingPong',
      prefixOnly: 'jssdk::',
      empty: '',
      noPrefix: 'basicModule:pingPong',
      nul: 'jssdk::basicModule:ping\u0000Pong',
      nonAscii: 'jssdk::basicModule:p\u00efngP\u00f6ng\u2713',
      long: 'jssdk::basicModule:' + 'x'.repeat(200000),
    };
    const calls = Object.entries(names).map(([label, name]) =>
        vell.invoke(name, {}).then(() => log('settled', label, 'resolved'), (e) => log('settled', label, e.code)));
    calls.push(vell.uiModule.closeCurrentWebDialog().then(
        () => log('settled', 'sdkFunction', 'resolved'), (e) => log('settled', 'sdkFunction', e.code, e.message)));
    for (let i = 0; i < 20; ++i) calls.push(vell.invoke(names.unknownAction).catch((e) => e.code));
    Promise.all(calls)
        .then(() => vell.basicModule.pingPong({text: 'still served'}))
        .then((answer) => log('alive', answer.text));
  )JS"));
  ASSERT_TRUE(WaitForConsole("alive|still served"));
  for (const char* label : {"unknownAction", "unknownModule", "prefixOnly", "empty", "noPrefix", "nul", "nonAscii", "long"}) {
    EXPECT_EQ(ConsoleLines(std::string("settled|") + label + "|#ActionNotFound").size(), 1u) << label;
  }
  EXPECT_EQ(ConsoleLines(R"(settled|sdkFunction|#ActionNotFound|[#ActionNotFound]: no plugin serves the action "jssdk::uiModule:closeCurrentWebDialog")")
                .size(),
            1u);
  EXPECT_TRUE(ConsoleLines("resolved").empty());
  // Logged once for the page, however often it calls; shown safely.
  EXPECT_EQ(g_log->Matching(R"(action no plugin serves: "jssdk::basicModule:noSuchAction")").size(), 1u);
  EXPECT_EQ(g_log->Matching(R"(action no plugin serves: "jssdk::basicModule:ping\u0000Pong")").size(), 1u);
  EXPECT_EQ(g_log->Matching("... (200019 bytes)").size(), 1u);
}

TEST_F(ShownPage, ANotificationSentAfterLoadUrlReachesTheRequestedPage) {
  const std::string subscribe = "vell.uiModule.onToast((t) => log('toast', NAME, t.message)); log('shown', NAME);";
  widget->LoadUrl(Page("const NAME = 'old';" + subscribe));
  ASSERT_TRUE(WaitForConsole("shown|old"));
  ASSERT_TRUE(WaitUntil([&] { return !signals_->IsLoading(); }));

  // The page being left is complete: the toast waits for the new one.
  widget->LoadUrl(Page("const NAME = 'new';" + subscribe));
  EXPECT_TRUE(signals_->IsLoading());
  EXPECT_EQ(VellToastPlugin::NotifyToast(widget.get(), {"first", 1000, 1}), nullptr);
  EXPECT_TRUE(WaitForConsole("toast|new|first"));
  EXPECT_TRUE(ConsoleLines("toast|old|first").empty());

  // The page being left is still loading (its response is slow): its abort
  // by the new request does not end the wait either.
  TestHttpServer server;
  server.Route("/slow", {200, "text/html", "<p>slow</p>", 5000});
  widget->LoadUrl(server.Url("/slow"));
  widget->LoadUrl(Page("const NAME = 'newest';" + subscribe));
  EXPECT_EQ(VellToastPlugin::NotifyToast(widget.get(), {"second", 1000, 1}), nullptr);
  EXPECT_TRUE(WaitForConsole("toast|newest|second"));
  EXPECT_TRUE(ConsoleLines("toast|new|second").empty());
}

// Browsers created in a burst, half with their page as the creation URL and
// half loading it as soon as they are reported (the launcher's reaction).
TEST(LauncherFlowTest, PagesLoadedAsSoonAsTheirBrowserExistsLoadAndCallWithoutErrors) {
  constexpr int kBrowsers = 10;
  TestHttpServer server;
  server.Route("/ready", {200, "text/html", R"(<script>
      vell.basicModule.pingPong({text: 'early'}).then((a) => console.log('answered|' + a.text));
      addEventListener('DOMContentLoaded', () =>
          vell.basicModule.pingPong({text: 'loaded'}).then((a) => console.log('answered|' + a.text)));
    </script>)"});
  const std::string url = server.Url("/ready");
  struct Shown {
    VellIndependentBrowser browser;
    std::unique_ptr<VellWidget> widget = std::make_unique<VellWidget>();
  };
  std::vector<std::unique_ptr<Shown>> shown;
  std::set<VellSignalsWidget*> pageReady;  // browsers whose page (not about:blank) reported ready
  int loadErrors = 0;
  int loaded = 0;
  for (int i = 0; i < kBrowsers; ++i) {
    auto page = std::make_unique<Shown>();
    const bool loadOnCreation = i % 2 == 0;
    page->browser.Init(loadOnCreation ? url : "about:blank");
    ASSERT_FALSE(page->browser.IsInitBrowserFailed());
    VellSignalsWidget* signalsWidget = page->browser.GetVellSignalsWidget();
    // Plugins are registered by the signals widget's own (earlier) connection.
    QObject::connect(signalsWidget, &VellSignalsWidget::OnBrowserCreated, [signalsWidget, &pageReady, page = page.get(),
                                                                           loadOnCreation, url](int) {
      AnswerPingPong(signalsWidget->findChild<VellPingPongPlugin*>());
      QObject::connect(signalsWidget->findChild<VellPageReadyPlugin*>(), &VellPageReadyPlugin::FirePageReady,
                       [&pageReady, signalsWidget, url] {
                         if (signalsWidget->GetUrl().toStdString() == url) pageReady.insert(signalsWidget);
                       });
      if (!loadOnCreation) page->widget->LoadUrl(url);
    });
    QObject::connect(signalsWidget, &VellSignalsWidget::OnLoadError, [&loadErrors](const QString&, int, const QString&) { ++loadErrors; });
    QObject::connect(signalsWidget, &VellSignalsWidget::OnLoadSuccess, [&loaded, url](const QString& at, int) {
      if (at.toStdString() == url) ++loaded;
    });
    page->widget->ConnectCefBrowser(&page->browser);
    shown.push_back(std::move(page));
  }
  EXPECT_TRUE(WaitUntil([&] { return loaded == kBrowsers; }, 4 * kHostTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return ConsoleLines("answered|loaded").size() == kBrowsers; }));
  EXPECT_TRUE(WaitUntil([&] { return pageReady.size() == kBrowsers; }));
  EXPECT_EQ(ConsoleLines("answered|early").size(), static_cast<size_t>(kBrowsers));
  EXPECT_EQ(loadErrors, 0);
  EXPECT_TRUE(g_log->Matching("Uncaught").empty());

  // Shutdown as the README orders it: widgets closed, then the wait for the
  // last browser on the Qt thread, where the monitor lives.
  std::vector<std::unique_ptr<QSignalSpy>> closed;
  for (auto& page : shown) {
    closed.push_back(std::make_unique<QSignalSpy>(page->browser.GetVellSignalsWidget(), &VellSignalsWidget::OnBeforeClose));
    page->widget.reset();
  }
  auto* monitor = VellBrowserLifeSpanMonitor::Instance();
  EXPECT_EQ(monitor->thread(), QCoreApplication::instance()->thread());
  EXPECT_EQ(monitor->Wait(4 * kHostTimeoutMs), nullptr);
  EXPECT_EQ(monitor->GetBrowserCount(), 0);
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_TRUE(WaitUntil([&] { return closed[i]->count() == 1; }));
    delete shown[i]->browser.GetVellSignalsWidget();
  }
}

}  // namespace
