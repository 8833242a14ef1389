// Windowed mode's browsers besides a launcher's page, on a real X server
// (run under Xvfb with openbox): developer tools, pages' pop-ups, the pool's
// idle browsers and the browsers of a Chromium started again after it died.
// No window of Chromium's may ever be seen on its own.
#include <signal.h>

#include <memory>
#include <string>
#include <vector>

#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include "HostHarness.h"
#include "LauncherEnvironment.h"
#include "LogCapture.h"
#include "RecordingClient.h"
#include "ShownPage.h"
#include "StrayWindowWatch.h"
#include "TestHttpServer.h"
#include "UrlSink.h"
#include "X11Desktop.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellHandler.h"
#include "include/cef_download_handler.h"
#include "include/cef_request_context.h"
#include "inter/VellBrowserWrapper.h"
#include "pool/VellWidgetPool.h"
#include "testing_hooks.h"
#include "view/surface_window.h"

namespace {

const auto* const g_windowManager = ::testing::AddGlobalTestEnvironment(new WindowManagerEnvironment());
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment());

// Links and buttons at fixed places (CSS pixels from the page's top left).
const char kOpener[] =
    "document.write(`<style>body { margin: 0; font: 30px sans-serif }"
    "  #blank { position: absolute; left: 20px; top: 20px }"
    "  #win { position: absolute; left: 20px; top: 100px; width: 200px; height: 40px }</style>"
    "<a id=blank target=_blank href='https://elsewhere.test/linked'>linked</a>"
    "<button id=win>open</button>`);"
    "win.onclick = () => window.open('https://elsewhere.test/opened', 'named', 'width=300,height=200');"
    "addEventListener('load', () => log('opener ready'));";

std::string SizeText(const QSize& size) { return std::to_string(size.width()) + "x" + std::to_string(size.height()); }

cefcompat::SurfaceWindow* SurfaceOf(CefWindowHandle handle) {
  return static_cast<cefcompat::SurfaceWindow*>(cefcompat::SurfaceForHandle(handle));
}

cefcompat::SurfaceWindow* SurfaceOf(VellWidget& widget) {
  VellHandler* handler = widget.GetVellIndependentBrowser()->GetVellHandler();
  VellBrowserWrapper* wrapper = handler ? handler->GetBrowser() : nullptr;
  return wrapper ? SurfaceOf(wrapper->GetWindowHandle()) : nullptr;
}

// Shown, with Chromium's window of the page in it.
bool ShowsItsPage(cefcompat::SurfaceWindow* surface) {
  return surface && surface->isExposed() && surface->Embedded() != 0;
}

// The page's viewport as its script measures it now ("WxH"); empty when it did not answer.
std::string Viewport(const CefRefPtr<CefBrowser>& browser, EventRecorder& recorder) {
  const size_t before = recorder.Of("OnConsoleMessage").size();
  browser->GetMainFrame()->ExecuteJavaScript("console.log('viewport|' + innerWidth + 'x' + innerHeight)", "", 0);
  std::string viewport;
  recorder.WaitFor([&] {
    const auto messages = recorder.Of("OnConsoleMessage");
    for (size_t i = before; i < messages.size(); ++i) {
      const std::string text = messages[i].data.value("message", std::string());
      if (text.rfind("viewport|", 0) == 0) viewport = text.substr(9);
    }
    return !viewport.empty();
  }, 5000);
  return viewport;
}

// A page with no bar of a browser around it fills its window: its viewport
// is the surface's size (Qt's scale is 1 here).
bool FillsItsSurface(const CefRefPtr<CefBrowser>& browser, EventRecorder& recorder, cefcompat::SurfaceWindow* surface) {
  return WaitUntil([&] { return Viewport(browser, recorder) == SizeText(surface->size()); });
}

class WindowedBrowsersTest : public ShownPage {
 protected:
  void SetUp() override {
    ShownPage::SetUp();
    if (HasFatalFailure()) return;
    layout = new QVBoxLayout(&mainWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget.get());
    mainWindow.setGeometry(100, 100, 640, 480);
    mainWindow.show();
    ASSERT_TRUE(WaitUntil([&] { return mainWindow.windowHandle()->isExposed(); }));
  }
  void TearDown() override {
    EXPECT_EQ(watch.Seen(), std::vector<std::string>()) << "a window of Chromium's was shown on its own";
    EXPECT_EQ(watch.ShownNow(), std::vector<std::string>()) << "a window of Chromium's is left on the desktop";
    ShownPage::TearDown();
  }
  QPoint At(int x, int y) const { return widget->mapToGlobal(QPoint(x, y)); }
  CefRefPtr<CefBrowserHost> Host() const { return browser.GetVellHandler()->GetBrowser()->GetHost(); }
  // A page that logs its keys and "page focus|n" once the n-th focus has
  // lasted 150 ms of its time (Chromium's window takes the focus in a few steps).
  void LoadPageForKeys() {
    widget->LoadUrl(Page("let focused = 0; addEventListener('focus', () => { const n = ++focused;"
                         "  setTimeout(() => { if (n === focused && document.hasFocus()) log('page focus', n); }, 150); });"
                         "addEventListener('keydown', (e) => log('key', e.key));"
                         "addEventListener('load', () => log('keys ready'));"));
    ASSERT_TRUE(WaitForConsole("keys ready"));
  }
  void ClickIntoPage() {
    const size_t before = HostLog().Matching("page focus|").size();
    desktop.Click(At(100, 100));
    ASSERT_TRUE(WaitUntil([&] { return HostLog().Matching("page focus|").size() > before; })) << "the page got no focus";
  }
  // A surface shown as a window of its own (the tools'); null when none.
  static cefcompat::SurfaceWindow* ShownToolsSurface() {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
      auto* surface = qobject_cast<cefcompat::SurfaceWindow*>(window);
      if (surface && surface->isVisible()) return surface;
    }
    return nullptr;
  }

  StrayWindowWatch watch;  // from before the page's browser is made
  X11Desktop desktop;
  QWidget mainWindow;
  QVBoxLayout* layout = nullptr;
};

TEST_F(WindowedBrowsersTest, DeveloperToolsShowTheFrontEndInAWindowOfTheirOwnWithoutBars) {
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  CefWindowInfo windowInfo;
  CefString(&windowInfo.window_name) = "the page's tools";
  Host()->ShowDevTools(windowInfo, client, CefBrowserSettings(), CefPoint());
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  CefRefPtr<CefBrowser> devTools = client->browser;
  EXPECT_TRUE(Host()->HasDevTools());
  EXPECT_TRUE(WaitUntil([&] { return devTools->GetMainFrame()->GetURL().ToString().rfind("devtools://", 0) == 0; }))
      << devTools->GetMainFrame()->GetURL().ToString();
  QPointer<cefcompat::SurfaceWindow> surface = SurfaceOf(devTools->GetHost()->GetWindowHandle());
  ASSERT_TRUE(WaitUntil([&] { return ShowsItsPage(surface); })) << "the tools are not shown";
  EXPECT_EQ(surface->title(), "the page's tools");
  EXPECT_TRUE(FillsItsSurface(devTools, recorder, surface)) << Viewport(devTools, recorder);
  // The page keeps its own window in the widget.
  EXPECT_TRUE(ShowsItsPage(SurfaceOf(*widget)));

  Host()->CloseDevTools();
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  EXPECT_FALSE(Host()->HasDevTools());
  EXPECT_TRUE(WaitUntil([&] { return !surface || !surface->isVisible(); })) << "the tools' window stayed";
  client->ForgetBrowsers();
}

// The launcher's developer keys (the pass, then F8) toggle the tools, shown
// in a surface of their own named after the page's address.
TEST_F(WindowedBrowsersTest, TheDeveloperKeysShowAndCloseTheTools) {
  LoadPageForKeys();
  const auto pressDevKeys = [&] {
    ClickIntoPage();
    desktop.Type("velldevtools");
    desktop.Key("F8");
  };
  pressDevKeys();
  QPointer<cefcompat::SurfaceWindow> tools;
  ASSERT_TRUE(WaitUntil([&] {
    tools = ShownToolsSurface();
    return ShowsItsPage(tools);
  })) << "the tools are not shown";
  EXPECT_TRUE(Host()->HasDevTools());
  EXPECT_EQ(tools->title().toStdString().rfind("data:text/html", 0), 0u) << tools->title().toStdString();
  pressDevKeys();
  EXPECT_TRUE(WaitUntil([&] { return !Host()->HasDevTools(); })) << "the keys did not close the tools";
  EXPECT_TRUE(WaitUntil([&] { return !tools || !tools->isVisible(); })) << "the tools' window stayed";
}

// Keys a launcher sends through the host reach the page, and the keyboard
// handler hears of each once: the developer keys' pass still matches.
TEST_F(WindowedBrowsersTest, KeysSentThroughTheHostReachTheHandlerOnce) {
  LoadPageForKeys();
  ClickIntoPage();
  CefRefPtr<CefBrowserHost> host = Host();
  const auto press = [&](int code) {
    CefKeyEvent event;
    event.windows_key_code = code;
    event.type = KEYEVENT_RAWKEYDOWN;
    host->SendKeyEvent(event);
    event.type = KEYEVENT_KEYUP;
    host->SendKeyEvent(event);
  };
  for (int code : VellHandler::kDevKeyPass) press(code);
  press(0x77);  // F8
  EXPECT_TRUE(WaitUntil([&] { return Host()->HasDevTools(); })) << "the pass did not match";
  EXPECT_TRUE(WaitUntil([&] { return ShowsItsPage(ShownToolsSurface()); })) << "the tools are not shown";
  Host()->CloseDevTools();
  EXPECT_TRUE(WaitUntil([&] { return !ShownToolsSurface(); })) << "the tools' window stayed";
}

// The framework sends a page's pop-ups, and links a person opens in a new
// tab, to the user's browser: Chromium's window for them never shows, and
// the page stays in its widget.
TEST_F(WindowedBrowsersTest, APagesPopUpsGoToTheUsersBrowserAndNoWindowShows) {
  UrlSink sink;
  widget->LoadUrl(Page(kOpener));
  ASSERT_TRUE(WaitForConsole("opener ready"));
  desktop.Click(At(60, 40));
  ASSERT_TRUE(WaitUntil([&] { return sink.opened.size() == 1; })) << "the link did not reach the user's browser";
  desktop.Click(At(100, 120));
  ASSERT_TRUE(WaitUntil([&] { return sink.opened.size() == 2; })) << "window.open did not reach the user's browser";
  desktop.Hold({"ctrl"}, true);
  desktop.Click(At(60, 40));
  const bool linkOpened = WaitUntil([&] { return sink.opened.size() == 3; });
  desktop.Hold({"ctrl"}, false);
  ASSERT_TRUE(linkOpened) << "the link opened in a new tab did not reach the user's browser";
  EXPECT_EQ(sink.opened[0].toString(), "https://elsewhere.test/linked");
  EXPECT_EQ(sink.opened[1].toString(), "https://elsewhere.test/opened");
  EXPECT_EQ(sink.opened[2].toString(), "https://elsewhere.test/linked");
  EXPECT_TRUE(ShowsItsPage(SurfaceOf(*widget)));
  // A window Chromium made for a pop-up may show late: the page's next answer comes after it.
  widget->LoadUrl(Page("log('after the pop-ups');"));
  EXPECT_TRUE(WaitForConsole("after the pop-ups"));
}

// A client that lets a page open pop-ups gets each as a browser in a surface
// of its own, shown, with no bar of a browser: a link's new tab as well as a
// window.open.
TEST_F(WindowedBrowsersTest, PopUpsAClientAllowsShowInSurfacesOfTheirOwnWithoutBars) {
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  client->refusePopups = false;
  const std::string popup = Page("log('popup loaded')");
  const std::string opener = Page(
      "addEventListener('load', () => { const a = document.createElement('a'); a.href = '" + popup +
      "'; a.target = '_blank'; document.body.appendChild(a); a.click();"
      " window.open('" + popup + "', 'named', 'width=300,height=200'); });");
  CefWindowInfo windowInfo;
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(windowInfo, client, opener, CefBrowserSettings(), nullptr, nullptr));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated", 3, 30000));
  ASSERT_TRUE(recorder.WaitFor([&] {
    size_t loaded = 0;
    for (const auto& message : recorder.Of("OnConsoleMessage")) loaded += message.data.value("message", "") == "popup loaded";
    return loaded == 2;
  }));
  std::vector<CefRefPtr<CefBrowser>> popups;
  {
    std::lock_guard<std::mutex> lock(client->browsersMutex);
    for (const auto& each : client->browsers) {
      if (each->IsPopup()) popups.push_back(each);
    }
  }
  ASSERT_EQ(popups.size(), 2u);
  for (const auto& each : popups) {
    cefcompat::SurfaceWindow* surface = SurfaceOf(each->GetHost()->GetWindowHandle());
    ASSERT_TRUE(WaitUntil([&] { return ShowsItsPage(surface); })) << "a pop-up is not shown";
    EXPECT_TRUE(FillsItsSurface(each, recorder, surface)) << Viewport(each, recorder);
  }
  for (const auto& each : client->browsers) each->GetHost()->CloseBrowser(true);
  EXPECT_TRUE(recorder.WaitForKind("OnBeforeClose", 3));
  client->ForgetBrowsers();
}

// Links a person opens in a new tab or window, with real X input: the
// client's request handler hears of each with the disposition of the keys
// and button, Chromium's own tab or window for it never shows, and a link
// the handler lets through opens in the page's own browser.
TEST_F(WindowedBrowsersTest, LinksOpenedInANewTabAskTheClientAndNoWindowShows) {
  TestHttpServer server;
  server.Route("/", {200, "text/html",
                     "<a href='/tab' style='position:fixed;left:0;top:0;width:80px;height:80px'>tab</a>"
                     "<script>addEventListener('load', () => console.log('links ready'));"
                     "addEventListener('mousemove', () => console.log('pointer in'), {once: true})</script>"});
  server.Route("/tab", {200, "text/html", "<script>console.log('tab page')</script>"});
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(CefWindowInfo(), client, server.Url("/"), CefBrowserSettings(), nullptr,
                                            nullptr));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  cefcompat::SurfaceWindow* surface = SurfaceOf(client->browser->GetHost()->GetWindowHandle());
  QWidget host;
  auto* hostLayout = new QHBoxLayout(&host);
  hostLayout->setContentsMargins(0, 0, 0, 0);
  hostLayout->addWidget(QWidget::createWindowContainer(surface));
  host.setGeometry(100, 620, 400, 300);
  host.show();
  auto logged = [&](const std::string& text) {
    for (const auto& message : recorder.Of("OnConsoleMessage")) {
      if (message.data.value("message", "") == text) return true;
    }
    return false;
  };
  ASSERT_TRUE(WaitUntil([&] { return ShowsItsPage(surface); }));
  ASSERT_TRUE(recorder.WaitFor([&] { return logged("links ready"); }));
  // The pointer moves over the link until the page feels it: Chromium's
  // window is in place and takes input there.
  const QPoint link = host.mapToGlobal(QPoint(20, 20));
  for (int move = 0; move < 30 && !logged("pointer in"); ++move) {
    desktop.MoveTo(link + QPoint(move % 2, 0));
    recorder.WaitFor([&] { return logged("pointer in"); }, 500);
  }
  ASSERT_TRUE(logged("pointer in"));
  const struct {
    int button;
    std::vector<std::string> held;
    cef_window_open_disposition_t disposition;
  } clicks[] = {
      {1, {"ctrl"}, WOD_NEW_BACKGROUND_TAB},
      {2, {}, WOD_NEW_BACKGROUND_TAB},
      {1, {"shift"}, WOD_NEW_WINDOW},
      {1, {"ctrl", "shift"}, WOD_NEW_FOREGROUND_TAB},
  };
  size_t count = 0;
  for (const auto& click : clicks) {
    SCOPED_TRACE(count);
    // Held as a person holds them: until the page has the click.
    desktop.Hold(click.held, true);
    desktop.Click(link, click.button);
    const bool asked = recorder.WaitForKind("OnOpenURLFromTab", ++count);
    desktop.Hold(click.held, false);
    ASSERT_TRUE(asked);
    const auto opened = recorder.Of("OnOpenURLFromTab").back().data;
    EXPECT_EQ(opened["url"], server.Url("/tab"));
    EXPECT_EQ(opened["disposition"], click.disposition);
    EXPECT_TRUE(opened["gesture"].get<bool>());
    EXPECT_TRUE(opened["onUiThread"].get<bool>());
  }
  EXPECT_EQ(recorder.Count("OnLoadStart"), 1u);
  EXPECT_EQ(client->browser->GetMainFrame()->GetURL().ToString(), server.Url("/"));

  client->cancelNewTabs = false;
  desktop.Hold({"ctrl"}, true);
  desktop.Click(link);
  EXPECT_TRUE(recorder.WaitFor([&] { return logged("tab page"); }));
  desktop.Hold({"ctrl"}, false);
  EXPECT_EQ(client->browser->GetMainFrame()->GetURL().ToString(), server.Url("/tab"));
  EXPECT_TRUE(ShowsItsPage(surface));
  client->browser->GetHost()->CloseBrowser(true);
  EXPECT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  client->ForgetBrowsers();
}

// A client that takes drags gets a file dragged from the desktop onto its
// page, shown in a window container beside another widget: the drag handler
// hears of it, and the page's drop reads the file.
TEST_F(WindowedBrowsersTest, AFileDroppedOnAPageWhoseClientTakesDragsReachesThePage) {
  QTemporaryDir folder;
  const QString path = folder.filePath("patch-notes.txt");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("new maps") == 8);
  file.close();
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  client->refuseDrags = false;
  const std::string page = Page(
      "addEventListener('dragover', (e) => e.preventDefault());"
      "addEventListener('drop', async (e) => { e.preventDefault(); const f = e.dataTransfer.files[0];"
      "  log('dropped', f.name, await f.text()); });"
      "addEventListener('load', () => log('drop ready'));");
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(CefWindowInfo(), client, page, CefBrowserSettings(), nullptr, nullptr));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  QWidget host;
  auto* hostLayout = new QHBoxLayout(&host);
  hostLayout->addWidget(new QLabel("beside the page"));
  hostLayout->addWidget(QWidget::createWindowContainer(SurfaceOf(client->browser->GetHost()->GetWindowHandle())), 1);
  host.setGeometry(100, 620, 600, 300);
  host.show();
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Of("OnConsoleMessage").size() == 1; }));
  ASSERT_EQ(recorder.Of("OnConsoleMessage")[0].data.value("message", ""), "drop ready");

  desktop.DragFileOnto(host.mapToGlobal(QPoint(450, 150)), path);
  ASSERT_TRUE(recorder.WaitForKind("OnDragEnter"));
  EXPECT_EQ(recorder.Of("OnDragEnter")[0].data["files"], nlohmann::json::array({path.toStdString()}));
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Of("OnConsoleMessage").size() == 2; })) << "the page got no drop";
  EXPECT_EQ(recorder.Of("OnConsoleMessage")[1].data.value("message", ""), "dropped|patch-notes.txt|new maps");
  client->browser->GetHost()->CloseBrowser(true);
  EXPECT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  client->ForgetBrowsers();
}

// The pool's widgets in a main window, without a page of the test's own:
// Chromium's death closes every browser.
// Chromium opens a page of another storage in a window with bars of its own:
// windowed mode refuses such a browser, and takes one sharing the global storage.
TEST_F(WindowedBrowsersTest, ABrowserWithAStorageOfItsOwnIsRefusedWithALogLine) {
  LogCapture capture;
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  CefRefPtr<CefRequestContext> own = CefRequestContext::CreateContext(CefRequestContextSettings(), nullptr);
  EXPECT_FALSE(
      CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), "about:blank", CefBrowserSettings(), nullptr, own));
  EXPECT_EQ(capture.Matching("needs windowless mode").size(), 1u);

  CefRefPtr<CefRequestContext> sharing =
      CefRequestContext::CreateContext(CefRequestContext::GetGlobalContext(), nullptr);
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), "about:blank", CefBrowserSettings(), nullptr,
                                            sharing));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  EXPECT_TRUE(client->browser->GetHost()->GetRequestContext()->IsSharingWith(CefRequestContext::GetGlobalContext()));
  client->browser->GetHost()->CloseBrowser(true);
  EXPECT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  client->ForgetBrowsers();
}

// Downloads a client's handler saves, recorded with their ends.
class SavingClient : public RecordingClient, public CefDownloadHandler {
 public:
  SavingClient(EventRecorder* recorder, std::string path)
      : RecordingClient(recorder), recorder_(recorder), path_(std::move(path)) {}
  CefRefPtr<CefDownloadHandler> GetDownloadHandler() override { return this; }
  void OnBeforeDownload(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem>, const CefString&,
                        CefRefPtr<CefBeforeDownloadCallback> callback) override {
    callback->Continue(path_, false);
  }
  void OnDownloadUpdated(CefRefPtr<CefBrowser>, CefRefPtr<CefDownloadItem> item,
                         CefRefPtr<CefDownloadItemCallback>) override {
    if (!item->IsInProgress()) recorder_->Record("DownloadEnded", {{"complete", item->IsComplete()}});
  }

 private:
  EventRecorder* recorder_;
  const std::string path_;
};

// StartDownload fetches in a page of Chromium's that has no window: none shows.
TEST_F(WindowedBrowsersTest, StartDownloadSavesTheFileAndNoWindowShows) {
  TestHttpServer server;
  const QByteArray data(300000, 'w');
  server.Route("/file.bin", {200, "application/octet-stream", data});
  QTemporaryDir folder;
  const std::string path = folder.filePath("file.bin").toStdString();
  EventRecorder recorder;
  CefRefPtr<SavingClient> client(new SavingClient(&recorder, path));
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), "about:blank", CefBrowserSettings(), nullptr,
                                            nullptr));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  client->browser->GetHost()->StartDownload(server.Url("/file.bin"));
  ASSERT_TRUE(recorder.WaitForKind("DownloadEnded"));
  EXPECT_TRUE(recorder.Of("DownloadEnded")[0].data["complete"]);
  QFile saved(QString::fromStdString(path));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), data);
  client->browser->GetHost()->CloseBrowser(true);
  EXPECT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  client->ForgetBrowsers();
}

class WindowedPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    layout = new QVBoxLayout(&mainWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    mainWindow.setGeometry(100, 100, 640, 480);
    mainWindow.show();
    ASSERT_TRUE(WaitUntil([&] { return mainWindow.windowHandle()->isExposed(); }));
    pool->SetInitLoadUrl(Page("log('pooled page')"));
    pool->Init(nullptr);
  }
  void TearDown() override {
    EXPECT_EQ(watch.Seen(), std::vector<std::string>()) << "a window of Chromium's was shown on its own";
    EXPECT_EQ(watch.ShownNow(), std::vector<std::string>()) << "a window of Chromium's is left on the desktop";
    bool released = false;
    pool->ReleaseAll([&](bool) { released = true; }, 0);
    EXPECT_TRUE(WaitUntil([&] { return released; }));
    EXPECT_TRUE(WaitUntil([] { return VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount() == 0; }));
  }
  void Show(VellWidget& pooled) {
    layout->addWidget(&pooled);
    pooled.show();
  }

  StrayWindowWatch watch;
  QWidget mainWindow;
  QVBoxLayout* layout = nullptr;
  std::unique_ptr<VellWidgetPool> pool = std::make_unique<VellWidgetPool>(1, 1);
};

// An idle browser of the pool is parked unseen; once acquired, its page is
// in the widget at once: its window was found while it waited.
TEST_F(WindowedPoolTest, APooledBrowserIsUnseenUntilAcquiredThenShownAtOnce) {
  ASSERT_TRUE(WaitForConsole("pooled page"));
  EXPECT_EQ(watch.ShownNow(), std::vector<std::string>());
  std::unique_ptr<VellWidget> pooled(pool->Acquire());
  ASSERT_NE(pooled, nullptr);
  cefcompat::SurfaceWindow* surface = SurfaceOf(*pooled);
  ASSERT_NE(surface, nullptr);
  EXPECT_NE(surface->Embedded(), 0u) << "the idle browser had no window of its own";
  Show(*pooled);
  EXPECT_TRUE(WaitUntil([&] { return ShowsItsPage(surface) && surface->size() == pooled->size(); }));
}

// Chromium killed: its browsers close, and those the pool makes on the new
// Chromium are shown in their widgets like the first ones, nothing on the desktop.
TEST_F(WindowedPoolTest, AfterChromiumIsKilledTheNewOnesWindowsAreInTheirWidgets) {
  auto* monitor = VellBrowserLifeSpanMonitor::Instance();
  std::unique_ptr<VellWidget> shown(pool->Acquire());
  Show(*shown);
  ASSERT_TRUE(WaitUntil([&] { return ShowsItsPage(SurfaceOf(*shown)); }));
  QSignalSpy closed(shown->GetVellSignalsWidget(), &VellSignalsWidget::OnBeforeClose);

  kill(cefcompat::ChromiumPidForTesting(), SIGKILL);
  ASSERT_TRUE(WaitUntil([&] { return closed.count() == 1 && monitor->GetBrowserCount() == 0; }));
  // The timer refills the reserve on the new Chromium.
  ASSERT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() >= 1; }, 30000));
  std::unique_ptr<VellWidget> next(pool->Acquire());
  ASSERT_NE(next, nullptr);
  shown.reset();
  Show(*next);
  cefcompat::SurfaceWindow* surface = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    surface = SurfaceOf(*next);
    return ShowsItsPage(surface) && surface->size() == next->size();
  })) << "the new Chromium's page is not in its widget";
  EXPECT_TRUE(WaitUntil([&] { return !next->GetVellSignalsWidget()->IsLoading(); }));
}

}  // namespace
