// The browser host with real pages: a browser driven through its client
// handler and signals widget, SDK calls reaching plugins, load signals and
// their log lines, render-process crashes, console, keys, popups, life span
// and notification scripts.
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QMessageBox>
#include <QPushButton>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <thread>

#include "HostHarness.h"
#include "LauncherEnvironment.h"
#include "LogCapture.h"
#include "ShownPage.h"
#include "VisibleDialog.h"
#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"
#include "UrlSink.h"
#include "core/VellApp.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellHandler.h"
#include "core/VellIndependentBrowser.h"
#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"
#include "inter/VellBrowserWrapper.h"
#include "inter/VellLoadingStateTracker.h"
#include "plugins/basic_plugins/VellMoveWindowPlugin.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"
#include "plugins/browser_plugins/VellPageReadyPlugin.h"
#include "testing_hooks.h"
#include "view/default_dialogs.h"
#include "v8_api/VellV8PluginFactoryCluster.h"

namespace {

LogCapture* const g_log = &HostLog();

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment());

constexpr int kTimeoutMs = kHostTimeoutMs;

// One browser as the framework hosts it: signals widget, handler, tracker.
struct HostedBrowser {
  HostedBrowser() {
    tracker->Track();
    tracker->PrintLoadingState();
    QObject::connect(widget, &VellSignalsWidget::OnLoadStart, [this](const QString& url) { Record("start " + url); });
    QObject::connect(widget, &VellSignalsWidget::OnLoadSuccess,
                     [this](const QString& url, int code) { Record(QString("success %1 %2").arg(code).arg(url)); });
    QObject::connect(widget, &VellSignalsWidget::OnLoadError, [this](const QString& url, int code, const QString& text) {
      Record(QString("error %1 %2 %3").arg(code).arg(text, url));
    });
    QObject::connect(widget, &VellSignalsWidget::OnLoadComplete, [this](const QString& url) { Record("complete " + url); });
  }
  ~HostedBrowser() {
    handler->Cleanup();
    WaitUntil([this] { return closed.count() > 0; });
    delete widget;
  }
  // Created on about:blank, plugins registered, then `url` loaded.
  bool Open(const std::string& url) {
    CefWindowInfo windowInfo;
    if (!CefBrowserHost::CreateBrowser(windowInfo, handler.get(), "about:blank", CefBrowserSettings(), nullptr, nullptr)) {
      return false;
    }
    if (!WaitUntil([this] { return created.count() > 0 && handler->GetBrowser(); })) return false;
    if (!WaitUntil([this] { return !widget->IsLoading() && events.contains("complete about:blank"); })) return false;
    events.clear();
    if (!url.empty()) handler->LoadUrl(url);
    return true;
  }
  void Record(const QString& event) { events.append(event); }
  bool WaitForEvent(const QString& event) { return WaitUntil([&] { return events.contains(event); }); }
  int BrowserId() { return handler->GetBrowser()->GetBrowserId(); }

  VellSignalsWidget* widget = new VellSignalsWidget();
  CefRefPtr<VellHandler> handler{new VellHandler(widget)};
  VellLoadingStateTracker* tracker = new VellLoadingStateTracker(widget);
  QSignalSpy created{widget, &VellSignalsWidget::OnBrowserCreated};
  QSignalSpy closed{widget, &VellSignalsWidget::OnBeforeClose};
  QStringList events;
};

TEST(BrowserHostTest, SdkCallsReachPluginsAndAreAnswered) {
  HostedBrowser host;
  ASSERT_TRUE(host.Open(""));
  auto* pingPong = host.widget->findChild<VellPingPongPlugin*>();
  ASSERT_NE(pingPong, nullptr);
  QObject::connect(pingPong, &VellPingPongPlugin::FirePingPong,
                   [](const VellPingPongPluginModel::RequestModel& request, VellPingPongPluginModel::FirePingPongCallback callback) {
                     callback({"pong " + request.text});
                   });
  QSignalSpy moved(host.widget->findChild<VellMoveWindowPlugin*>(), &VellMoveWindowPlugin::FireMoveWindowPlugin);
  QSignalSpy ready(host.widget->findChild<VellPageReadyPlugin*>(), &VellPageReadyPlugin::FirePageReady);

  host.handler->LoadUrl(Page(
      "vell.basicModule.pingPong({text: 'ping'}).then(v => log('callback', v));"
      "vell.basicModule.moveWindow({deltaX: -12.9, deltaY: 3}).then(v => log('emit', v));"
      "vell.basicModule.moveWindow({deltaX: 'left', deltaY: 3}).catch(e => log('bad', e.code));"
      "vell.uiModule.closeCurrentWebDialog().then(() => log('never'), (e) => log('unserved', e.code));"
      "vell.basicModule.pingPong({text: 'after'}).then(v => log('callback', v));"));
  EXPECT_TRUE(WaitForConsole("callback|{\"text\":\"pong ping\"}"));
  EXPECT_TRUE(WaitForConsole("emit|null"));
  EXPECT_TRUE(WaitForConsole("bad|#ParseValue2JsonError"));
  EXPECT_TRUE(WaitForConsole("callback|{\"text\":\"pong after\"}"));
  EXPECT_TRUE(WaitForConsole("unserved|#ActionNotFound"));
  ASSERT_EQ(moved.count(), 1);
  EXPECT_EQ(moved[0][0].value<VellMoveWindowPluginModel::RequestModel>().deltaX, -12);
  EXPECT_TRUE(WaitUntil([&] { return ready.count() == 1; }));
  EXPECT_TRUE(ConsoleLines("never").empty());
}

TEST(BrowserHostTest, HostCallbacksCalledLateTwiceOrFromAnotherThreadAreSafe) {
  VellPingPongPluginModel::FirePingPongCallback kept;
  {
    HostedBrowser host;
    ASSERT_TRUE(host.Open(""));
    QObject::connect(host.widget->findChild<VellPingPongPlugin*>(), &VellPingPongPlugin::FirePingPong,
                     [&](const VellPingPongPluginModel::RequestModel&, VellPingPongPluginModel::FirePingPongCallback callback) { kept = callback; });
    host.handler->LoadUrl(Page("vell.basicModule.pingPong({text: 'x'}).then(v => log('answered', v.text));"));
    ASSERT_TRUE(WaitUntil([&] { return kept != nullptr; }));
    std::thread([&] { kept({"from a worker"}); }).join();
    kept({"twice"});
    EXPECT_TRUE(WaitForConsole("answered|from a worker"));
    EXPECT_TRUE(ConsoleLines("answered|twice").empty());

    // A browser whose factory is gone: its calls are logged and refused.
    ASSERT_EQ(VellV8PluginFactoryCluster::Instance()->UnRegister(host.BrowserId()), nullptr);
    host.handler->LoadUrl(Page("vell.basicModule.pingPong({text: 'y'}).catch((e) => log('refused', e.code));"));
    EXPECT_TRUE(WaitForConsole("refused|#ActionNotFound"));
    EXPECT_TRUE(WaitForLog("Unable to get factory by nBrowserId"));
  }
  kept({"after close"});  // the frame is gone: logged, nothing sent
}

// The launcher's SDK allowlist for one test: every frame is served again after it.
struct SdkAllowlist {
  explicit SdkAllowlist(const QStringList& origins) { VellApp::SetSdkOriginAllowlist(origins); }
  ~SdkAllowlist() { VellApp::SetSdkOriginAllowlist({}); }
};

TEST(BrowserHostTest, WithAnAllowlistOnlyFramesOfItsOriginsReachPlugins) {
  TestHttpServer server;
  const std::string allowed = "http://127.0.0.1:" + std::to_string(server.Port());
  const std::string other = "http://localhost:" + std::to_string(server.Port());  // the same server, another origin
  // The sub-frame reports to the page, whose console the test reads.
  server.Route("/child", {200, "text/html",
                          "<script>const log = (...a) => parent.postMessage(a.join('|'), '*');"
                          "for (const n of [1, 2]) vell.basicModule.pingPong({text: 'sub'}).then("
                          "v => log('sub', v.text), e => log('sub refused', e.code, e.message));"
                          "</script>",
                          0});
  server.Route("/parent", {200, "text/html",
                           "<script>const log = (...a) => console.log(a.join('|'));"
                           "addEventListener('message', (e) => log(e.data));"
                           "vell.basicModule.pingPong({text: 'top'}).then(v => log('top', v.text));</script>"
                           "<iframe src='" + QByteArray::fromStdString(other) + "/child'></iframe>",
                           0});
  HostedBrowser host;
  ASSERT_TRUE(host.Open(""));
  QObject::connect(host.widget->findChild<VellPingPongPlugin*>(), &VellPingPongPlugin::FirePingPong,
                   [](const VellPingPongPluginModel::RequestModel& request,
                      VellPingPongPluginModel::FirePingPongCallback callback) { callback({"pong " + request.text}); });
  {
    SdkAllowlist list({QString::fromStdString(allowed)});
    host.handler->LoadUrl(server.Url("/parent"));
    EXPECT_TRUE(WaitForConsole("top|pong top"));
    const std::string refused = "sub refused|#OriginNotAllowed|[#OriginNotAllowed]: frames of the origin " + other +
                                " may not call the SDK";
    EXPECT_TRUE(WaitUntil([&] { return ConsoleLines(refused).size() == 2; }));
    // Logged once for the frame, not once per call.
    const std::string line = "SDK calls of a frame of the origin " + other + " are refused";
    EXPECT_TRUE(WaitForLog(line));
    EXPECT_EQ(HostLog().Matching(line).size(), 1u);
    EXPECT_TRUE(ConsoleLines("sub|pong sub").empty());
  }
  {
    SdkAllowlist list({QString::fromStdString(allowed), QString::fromStdString(other + "/")});
    host.handler->LoadUrl(server.Url("/parent?both"));
    EXPECT_TRUE(WaitUntil([] { return ConsoleLines("sub|pong sub").size() == 2; }));
  }
  // Without a list every frame is served, as before.
  host.handler->LoadUrl(server.Url("/parent?none"));
  EXPECT_TRUE(WaitUntil([] { return ConsoleLines("sub|pong sub").size() == 4; }));
}

TEST(BrowserHostTest, LoadSignalsComeInOrderWithTheTrackersLines) {
  TestHttpServer server;
  server.Route("/ok", {200, "text/html", "<iframe src='/child'></iframe>ok", 0});
  server.Route("/child", {200, "text/html", "child", 0});
  server.Route("/missing", {404, "text/html", "missing", 0});
  QTemporaryDir dir;
  QFile file(dir.filePath("page.html"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<p>local</p>");
  file.close();
  const QString fileUrl = QUrl::fromLocalFile(file.fileName()).toString();

  HostedBrowser host;
  ASSERT_TRUE(host.Open(server.Url("/ok")));
  const QString ok = QString::fromStdString(server.Url("/ok"));
  ASSERT_TRUE(host.WaitForEvent("complete " + ok));
  // OnLoadComplete comes from the widget's own first listener, so later
  // listeners see it before the success. The sub-frame's load produces nothing.
  ASSERT_TRUE(host.WaitForEvent("success 200 " + ok));
  EXPECT_EQ(host.events, QStringList({"start " + ok, "complete " + ok, "success 200 " + ok}));
  EXPECT_FALSE(g_log->Matching("VellSignalsWidget::OnLoadSuccess:strUrl = " + ok.toStdString() + ", nHttpStatusCode = 200 (").empty());

  host.events.clear();
  const QString missing = QString::fromStdString(server.Url("/missing"));
  host.handler->LoadUrl(missing.toStdString());
  ASSERT_TRUE(host.WaitForEvent("error 404 invalid http status code " + missing));
  EXPECT_EQ(host.events, QStringList({"start " + missing, "complete " + missing,
                                      "error 404 invalid http status code " + missing}));
  EXPECT_FALSE(g_log->Matching("nHttpStatusCode = 404, strErrorText = invalid http status code (").empty());
  EXPECT_GE(host.tracker->GetLoadDuration(), 0);

  host.events.clear();
  host.handler->LoadUrl(fileUrl.toStdString());
  ASSERT_TRUE(host.WaitForEvent("complete " + fileUrl));
  EXPECT_TRUE(host.events.contains("success 200 " + fileUrl));
  EXPECT_EQ(host.widget->GetUrl(), fileUrl);

  // The empty document has no response (status 0) and is no failure.
  host.events.clear();
  host.handler->LoadUrl("about:blank#again");
  ASSERT_TRUE(host.WaitForEvent("complete about:blank#again"));
  EXPECT_TRUE(host.events.contains("success 0 about:blank#again")) << host.events.join(", ").toStdString();
}

TEST(BrowserHostTest, RenderCrashesReachTheLimitAndASuccessfulLoadResetsTheCount) {
  TestHttpServer server;
  server.Route("/gone", {404, "text/html", "gone", 0});
  server.Route("/fine", {200, "text/html", "fine", 0});
  HostedBrowser host;
  QSignalSpy terminated(host.widget, &VellSignalsWidget::OnRenderProcessTerminated);
  QSignalSpy limit(host.widget, &VellSignalsWidget::OnRenderProcessTerminatedReachLimit);
  ASSERT_TRUE(host.Open(server.Url("/gone")));
  ASSERT_TRUE(host.WaitForEvent("complete " + QString::fromStdString(server.Url("/gone"))));
  CefRefPtr<CefBrowser> browser = host.handler->GetBrowser()->GetMainFrame()->GetBrowser();
  // Each crash is followed by the handler's reload, which fails again (404).
  for (int i = 1; i <= 6; ++i) {
    const int completes = host.events.count("complete " + QString::fromStdString(server.Url("/gone")));
    cefcompat::CrashRendererForTesting(browser);
    ASSERT_TRUE(WaitUntil([&] { return terminated.count() == i; })) << i;
    ASSERT_TRUE(WaitUntil([&] {
      return host.events.count("complete " + QString::fromStdString(server.Url("/gone"))) > completes;
    })) << "reload after crash " << i;
  }
  ASSERT_EQ(limit.count(), 1);
  EXPECT_EQ(limit[0][0].toInt(), 5);

  host.handler->LoadUrl(server.Url("/fine"));
  ASSERT_TRUE(host.WaitForEvent("complete " + QString::fromStdString(server.Url("/fine"))));
  g_log->Clear();
  cefcompat::CrashRendererForTesting(browser);
  ASSERT_TRUE(WaitUntil([&] { return terminated.count() == 7; }));
  EXPECT_TRUE(WaitForLog("OnRenderProcessTerminated terminated! counter = 0,"));
}

TEST(BrowserHostTest, ConsoleMessagesReachTheLogAtTheirSeverity) {
  HostedBrowser host;
  ASSERT_TRUE(host.Open(Page("console.debug('c-debug'); console.log('c-info'); console.warn('c-warn'); console.error('c-error');")));
  ASSERT_TRUE(WaitForConsole("c-error"));
  const std::pair<const char*, QtMsgType> expected[] = {
      {"c-debug", QtDebugMsg}, {"c-info", QtInfoMsg}, {"c-warn", QtWarningMsg}, {"c-error", QtCriticalMsg}};
  for (const auto& [text, type] : expected) {
    ASSERT_TRUE(WaitForConsole(text)) << text;
    const auto line = ConsoleLines(text).front();
    EXPECT_EQ(line.type, type) << text;
    EXPECT_NE(line.text.find("OnConsoleMessage: browser(id=" + std::to_string(host.BrowserId()) + ")[level="),
              std::string::npos);
  }
}

TEST(BrowserHostTest, KeysTypedIntoThePageUnlockTheDeveloperKeysAndAltF4Quits) {
  UrlSink sink;
  HostedBrowser host;
  QSignalSpy quit(host.widget, &VellSignalsWidget::OnQuitKeyPress);
  ASSERT_TRUE(host.Open(Page("log('keys ready')")));
  ASSERT_TRUE(WaitForConsole("keys ready"));
  CefRefPtr<CefBrowserHost> browserHost = host.handler->GetBrowser()->GetHost();
  auto press = [&](int code, uint32 modifiers = 0) {
    CefKeyEvent event;
    event.windows_key_code = code;
    event.modifiers = modifiers;
    event.type = KEYEVENT_RAWKEYDOWN;
    browserHost->SendKeyEvent(event);
    event.type = KEYEVENT_KEYUP;
    browserHost->SendKeyEvent(event);
  };
  press(0x79);  // F10, still locked
  for (int code : VellHandler::kDevKeyPass) press(code);
  press(0x79);
  ASSERT_TRUE(WaitUntil([&] { return !sink.opened.isEmpty(); }));
  EXPECT_EQ(sink.opened.size(), 1);
  EXPECT_EQ(sink.opened.front(), QUrl(VellHandler::GetLocalDevelopmentPageUrl()));
  press(0x73, 1 << 3);
  EXPECT_TRUE(WaitUntil([&] { return quit.count() == 1; }));
}

TEST(BrowserHostTest, PopupsOpenInTheUsersBrowser) {
  UrlSink sink;
  HostedBrowser host;
  ASSERT_TRUE(host.Open(Page("window.open('http://example.test/news'); log('opened');")));
  ASSERT_TRUE(WaitUntil([&] { return !sink.opened.isEmpty(); }));
  EXPECT_EQ(sink.opened.front(), QUrl("http://example.test/news"));
  EXPECT_EQ(VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount(), 1);
}

TEST(BrowserHostTest, TheLifeSpanMonitorWaitsForTheLastOfTwoBrowsers) {
  auto* first = new HostedBrowser();
  auto* second = new HostedBrowser();
  ASSERT_TRUE(first->Open(""));
  ASSERT_TRUE(second->Open(""));
  auto* monitor = VellBrowserLifeSpanMonitor::Instance();
  EXPECT_EQ(monitor->GetBrowserCount(), 2);
  QSignalSpy zero(monitor, &VellBrowserLifeSpanMonitor::OnBrowserCountZero);
  first->handler->Cleanup();
  second->handler->Cleanup();
  EXPECT_EQ(monitor->Wait(kTimeoutMs), nullptr);
  EXPECT_EQ(monitor->GetBrowserCount(), 0);
  EXPECT_TRUE(WaitUntil([&] { return zero.count() == 1; }));
  delete first;
  delete second;
  EXPECT_EQ(zero.count(), 1);
}

TEST(BrowserHostTest, ANotificationQueuedDuringALoadRunsOnceAfterIt) {
  TestHttpServer server;
  server.Route("/slow", {200, "text/html", "<script>const log = (...a) => console.log(a.join('|'));</script>slow", 800});
  HostedBrowser host;
  ASSERT_TRUE(host.Open(server.Url("/slow")));
  ASSERT_TRUE(WaitUntil([&] { return host.widget->IsLoading(); }));
  ASSERT_EQ(VellV8ApiPluginAbstract::S_RunJavascript(host.handler.get(), "log('notified', location.pathname)", true), nullptr);
  ASSERT_TRUE(WaitForConsole("notified|/slow"));
  host.handler->LoadUrl(server.Url("/slow"));
  ASSERT_TRUE(host.WaitForEvent("complete " + QString::fromStdString(server.Url("/slow"))));
  EXPECT_EQ(ConsoleLines("notified|/slow").size(), 1u);

  // Never into about:blank.
  host.events.clear();
  host.handler->LoadUrl("about:blank");
  ASSERT_TRUE(WaitUntil([&] { return host.widget->IsLoading() || host.events.contains("complete about:blank"); }));
  ASSERT_EQ(VellV8ApiPluginAbstract::S_RunJavascript(host.handler.get(), "console.log('into blank')", true), nullptr);
  ASSERT_TRUE(WaitForLog("run javascript should not under url = about:blank, strJsScript = console.log('into blank')"));
  EXPECT_TRUE(ConsoleLines("into blank").empty());
}

// Notifications run their script through the widget that shows the page.
struct WidgetScript : VellV8ApiPluginAbstract {
  using VellV8ApiPluginAbstract::S_RunJavascript;
};

TEST(BrowserHostTest, AWidgetShowsItsBrowserAndCarriesScriptsIntoIt) {
  EXPECT_EQ(WidgetScript::S_RunJavascript(static_cast<const VellWidget*>(nullptr), "1", true)->errorMessage,
            "RunJavascript failed! vellWidget is nullptr");
  VellIndependentBrowser browser;
  auto widget = std::make_unique<VellWidget>();
  EXPECT_NE(WidgetScript::S_RunJavascript(widget.get(), "1", true), nullptr);  // no browser yet
  browser.Init(Page("log('widget page')"));
  ASSERT_FALSE(browser.IsInitBrowserFailed());
  widget->ConnectCefBrowser(&browser);  // before the browser exists: shown once it does
  widget->resize(320, 200);
  widget->show();
  QSignalSpy closed(browser.GetVellSignalsWidget(), &VellSignalsWidget::OnBeforeClose);
  ASSERT_TRUE(WaitUntil([&] { return widget->findChild<QWidget*>() != nullptr; }));
  ASSERT_TRUE(WaitForConsole("widget page"));
  ASSERT_EQ(WidgetScript::S_RunJavascript(widget.get(), "log('through the widget')", true), nullptr);
  EXPECT_TRUE(WaitForConsole("through the widget"));
  VellIndependentBrowser second;
  widget->ConnectCefBrowser(&second);  // refused: one browser per widget
  EXPECT_EQ(widget->GetVellIndependentBrowser(), &browser);
  widget.reset();  // closes the browser
  ASSERT_TRUE(WaitUntil([&] { return closed.count() == 1; }));
  delete browser.GetVellSignalsWidget();
}

// The framework leaves a page's dialogs to the runtime's own: Qt dialogs over
// the window that shows the page; the page waits for the person's answer.
TEST_F(ShownPage, DialogsWithoutALauncherHandlerAreQtDialogsOverThePagesWindow) {
  widget->show();
  browser.GetVellHandler()->LoadUrl(
      Page("log('confirm', confirm('Sure?')); log('prompt', prompt('Name?', 'Ann')); alert('Bye'); log('done');"));
  QMessageBox* confirm = WaitForVisibleDialog<QMessageBox>();
  ASSERT_NE(confirm, nullptr);
  EXPECT_EQ(confirm->text(), "Sure?");
  EXPECT_EQ(confirm->parentWidget(), widget->window());
  EXPECT_TRUE(ConsoleLines("confirm|true").empty());  // the page waits
  confirm->button(QMessageBox::Ok)->click();
  ASSERT_TRUE(WaitForConsole("confirm|true"));

  QInputDialog* prompt = WaitForVisibleDialog<QInputDialog>();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(prompt->textValue(), "Ann");
  prompt->setTextValue("Bea");
  prompt->accept();
  ASSERT_TRUE(WaitForConsole("prompt|Bea"));

  QMessageBox* alert = WaitForVisibleDialog<QMessageBox>();
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->text(), "Bye");
  alert->button(QMessageBox::Ok)->click();
  EXPECT_TRUE(WaitForConsole("done"));
}

// A page that is one file input; it logs the name chosen.
const std::string kFileInputPage =
    Page("const input = document.createElement('input'); input.type = 'file'; input.accept = '.txt';"
         "input.style = 'position:fixed;inset:0'; document.documentElement.appendChild(input);"
         "input.onchange = () => log('chosen', input.files[0].name); log('ready');");

// A person's click near the page's top left corner.
void ClickAtTheTopLeft(VellIndependentBrowser& browser) {
  CefRefPtr<CefBrowserHost> host = browser.GetVellHandler()->GetBrowser()->GetHost();
  CefMouseEvent at;
  at.x = 20;
  at.y = 20;
  host->SendMouseClickEvent(at, MBT_LEFT, false, 1);
  host->SendMouseClickEvent(at, MBT_LEFT, true, 1);
}

// Shows `page` in a widget, brings its dialog up with `open`, then closes
// the browser: the dialog goes with it.
template <class Dialog>
void ExpectTheDialogToCloseWithItsBrowser(const std::string& page,
                                          const std::function<void(VellIndependentBrowser&)>& open) {
  VellIndependentBrowser browser;
  browser.Init(page);
  auto widget = std::make_unique<VellWidget>();
  widget->ConnectCefBrowser(&browser);
  VellSignalsWidget* signalsWidget = browser.GetVellSignalsWidget();
  open(browser);
  QPointer<Dialog> dialog = WaitForVisibleDialog<Dialog>();
  ASSERT_FALSE(dialog.isNull());
  QSignalSpy closed(signalsWidget, &VellSignalsWidget::OnBeforeClose);
  widget.reset();  // closes the browser
  ASSERT_TRUE(WaitUntil([&] { return closed.count() == 1; }));
  EXPECT_TRUE(WaitUntil([&] { return dialog.isNull(); }));
  delete signalsWidget;
}

TEST(DefaultDialogTest, DialogsOpenWhenTheirBrowserClosesAreClosed) {
  ExpectTheDialogToCloseWithItsBrowser<QMessageBox>(Page("alert('Waiting');"), [](VellIndependentBrowser&) {});
  ExpectTheDialogToCloseWithItsBrowser<QFileDialog>(kFileInputPage, [](VellIndependentBrowser& browser) {
    ASSERT_TRUE(WaitForConsole("ready"));
    ClickAtTheTopLeft(browser);
  });
}

TEST(DefaultDialogTest, AFileChooserOffersTheInputsAcceptedTypesAndAllFiles) {
  const QStringList filters = cefcompat::DefaultDialogs::NameFilters({".PNG", "image/jpeg"});
  ASSERT_EQ(filters.size(), 2);
  EXPECT_TRUE(filters[0].contains("*.png"));
  EXPECT_TRUE(filters[0].contains("*.jpg"));
  EXPECT_EQ(filters[1], "All files (*)");
  EXPECT_EQ(cefcompat::DefaultDialogs::NameFilters({}), QStringList{"All files (*)"});
}

TEST_F(ShownPage, AFileChosenInTheQtDialogReachesThePagesInput) {
  QTemporaryDir dir;
  const QString path = dir.filePath("notes.txt");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("x");
  file.close();
  widget->resize(400, 300);
  widget->show();
  browser.GetVellHandler()->LoadUrl(kFileInputPage);
  ASSERT_TRUE(WaitForConsole("ready"));
  ClickAtTheTopLeft(browser);
  QFileDialog* dialog = WaitForVisibleDialog<QFileDialog>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->parentWidget(), widget->window());
  EXPECT_TRUE(dialog->nameFilters().first().contains("*.txt"));
  // As a person types a name into the dialog.
  dialog->setDirectory(dir.path());
  auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(name, nullptr);
  name->setText("notes.txt");
  static_cast<QDialog*>(dialog)->accept();
  EXPECT_TRUE(WaitForConsole("chosen|notes.txt"));
}

}  // namespace
