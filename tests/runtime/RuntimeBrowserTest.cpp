// End-to-end tests of the runtime's browser side with real pages.
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <fstream>
#include <thread>

#include "RuntimeEnvironment.h"
#include "TestApp.h"
#include "TestHttpServer.h"
#include "VisibleDialog.h"
#include "include/cef_task.h"
#include "view/surface_window.h"
#include "testing_hooks.h"

namespace {

class TestApp : public CefApp {
 public:
  void OnBeforeCommandLineProcessing(const CefString& process_type, CefRefPtr<CefCommandLine> command_line) override {
    if (!process_type.empty()) return;
    command_line->AppendSwitchWithValue("user-agent", "VellTest/1.0 [DrevanLauncher/test/en/1.2.3/1]");
    command_line->AppendSwitchWithValue("autoplay-policy", "no-user-gesture-required");
    command_line->AppendSwitchWithValue("remote-debugging-port", std::to_string(TestHttpServer::ClosedPort()));
  }

 private:
  IMPLEMENT_REFCOUNTING(TestApp);
};

const bool g_factory = SetTestAppFactory([] { return CefRefPtr<CefApp>(new TestApp()); });
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(MakeTestApp()));

using Json = nlohmann::json;

std::vector<std::string> MainFrameKinds(const EventRecorder& recorder) {
  std::vector<std::string> kinds;
  for (const auto& event : recorder.Events()) {
    if (event.kind == "OnLoadStart" || event.kind == "OnLoadEnd" || event.kind == "OnLoadError") {
      if (!event.data.value("main", false)) continue;
    }
    if (event.kind == "OnLoadingStateChange") {
      kinds.push_back(event.data["loading"] ? "Loading" : "Loaded");
      continue;
    }
    if (event.kind == "OnLoadStart" || event.kind == "OnLoadEnd" || event.kind == "OnLoadError") kinds.push_back(event.kind);
  }
  return kinds;
}

class LifeSpanTest : public BrowserTest {};

TEST_F(LifeSpanTest, CreationAndCloseOrder) {
  Create(DataUrl("<p>hello</p>"));
  ASSERT_TRUE(browser);
  EXPECT_GT(browser->GetIdentifier(), 0);
  EXPECT_TRUE(browser->IsValid());
  const auto created = recorder.Of("OnAfterCreated")[0].data;
  EXPECT_TRUE(created["onUiThread"]);
  EXPECT_FALSE(created["onQtThread"]);
  EXPECT_NE(created["handle"], 0);
  EXPECT_NE(cefcompat::SurfaceForHandle(browser->GetHost()->GetWindowHandle()), nullptr);
  ASSERT_TRUE(WaitForMainLoadEnd());

  browser->GetHost()->CloseBrowser(true);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  std::vector<std::string> order;
  for (const auto& kind : recorder.Kinds()) {
    if (kind == "OnAfterCreated" || kind == "DoClose" || kind == "OnBeforeClose") order.push_back(kind);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"OnAfterCreated", "DoClose", "OnBeforeClose"}));
  EXPECT_FALSE(recorder.Of("OnBeforeClose")[0].data["valid"]);
  EXPECT_FALSE(browser->IsValid());
  EXPECT_FALSE(browser->GetMainFrame()->IsValid());
}

TEST_F(LifeSpanTest, CreationIsAsynchronous) {
  CefWindowInfo info;
  EXPECT_TRUE(CefBrowserHost::CreateBrowser(info, client.get(), "about:blank", CefBrowserSettings(), nullptr, nullptr));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  browser = client->browser;
}

class LoadTest : public BrowserTest {
 protected:
  TestHttpServer server;
};

TEST_F(LoadTest, SuccessfulPageReportsStatus200InOrder) {
  server.Route("/ok", {200, "text/html", "<title>ok</title><p>fine</p>", 0});
  Create(server.Url("/ok"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  ASSERT_TRUE(recorder.WaitFor([&] { return MainFrameKinds(recorder).size() >= 4; }));
  EXPECT_EQ(MainFrameKinds(recorder), (std::vector<std::string>{"Loading", "OnLoadStart", "OnLoadEnd", "Loaded"}));
  const auto end = recorder.Of("OnLoadEnd")[0].data;
  EXPECT_EQ(end["status"], 200);
  EXPECT_EQ(end["url"], server.Url("/ok"));
  EXPECT_TRUE(end["onUiThread"]);
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), server.Url("/ok"));
  EXPECT_FALSE(browser->IsLoading());
}

TEST_F(LoadTest, NotFoundReportsStatus404) {
  Create(server.Url("/missing"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  EXPECT_EQ(recorder.Of("OnLoadEnd")[0].data["status"], 404);
  EXPECT_EQ(recorder.Count("OnLoadError"), 0u);
}

TEST_F(LoadTest, TitleOfEachLoadedPageIsReported) {
  auto titled = [&](const std::string& title) {
    return recorder.WaitFor([&] {
      for (const auto& event : recorder.Of("OnTitleChange")) {
        if (event.data["title"] == title) return true;
      }
      return false;
    });
  };
  Create(DataUrl("<title>first</title><p>page</p>"));
  ASSERT_TRUE(titled("first"));
  browser->GetMainFrame()->LoadURL(DataUrl("<title>second</title><p>next</p>"));
  EXPECT_TRUE(titled("second"));
}

TEST_F(LoadTest, FileUrlLoads) {
  QTemporaryDir dir;
  const QString path = dir.filePath("page.html");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<p>from a file</p>");
  file.close();
  const std::string url = "file://" + path.toStdString();
  Create(url);
  ASSERT_TRUE(WaitForMainLoadEnd());
  const auto end = recorder.Of("OnLoadEnd")[0].data;
  EXPECT_EQ(end["url"], url);
  EXPECT_EQ(recorder.Count("OnLoadError"), 0u);
}

TEST_F(LoadTest, RefusedConnectionReportsNetError) {
  const std::string url = "http://127.0.0.1:" + std::to_string(TestHttpServer::ClosedPort()) + "/";
  Create(url);
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError"));
  const auto error = recorder.Of("OnLoadError")[0].data;
  EXPECT_EQ(error["error"], ERR_CONNECTION_REFUSED);
  EXPECT_EQ(error["text"], "net::ERR_CONNECTION_REFUSED");
  EXPECT_EQ(error["failedUrl"], url);
  EXPECT_TRUE(error["main"]);
  // Chromium's error page is not reported as a load of its own.
  ASSERT_TRUE(recorder.WaitFor([&] { return !MainFrameKinds(recorder).empty() && MainFrameKinds(recorder).back() == "Loaded"; }));
  EXPECT_EQ(recorder.Count("OnLoadEnd"), 0u);
}

TEST_F(LoadTest, SubFrameLoadsAreToldApart) {
  server.Route("/child", {200, "text/html", "<p>child</p>", 0});
  server.Route("/parent", {200, "text/html", "<iframe src=\"/child\"></iframe>", 0});
  Create(server.Url("/parent"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnLoadEnd") >= 2; }));
  std::map<std::string, bool> mainByUrl;
  for (const auto& event : recorder.Of("OnLoadEnd")) mainByUrl[event.data["url"]] = event.data["main"];
  EXPECT_TRUE(mainByUrl.at(server.Url("/parent")));
  EXPECT_FALSE(mainByUrl.at(server.Url("/child")));
  EXPECT_EQ(browser->GetFrameCount(), 2u);
}

TEST_F(LoadTest, SlowPageIsLoadingUntilItArrives) {
  server.Route("/slow", {200, "text/html", "<p>late</p>", 400});
  Create(server.Url("/slow"));
  ASSERT_TRUE(recorder.WaitFor([&] { return browser->IsLoading(); }));
  ASSERT_TRUE(WaitForMainLoadEnd());
  EXPECT_EQ(recorder.Of("OnLoadEnd")[0].data["status"], 200);
}

TEST_F(LoadTest, HistoryNavigation) {
  server.Route("/a", {200, "text/html", "<p>a</p>", 0});
  server.Route("/b", {200, "text/html", "<p>b</p>", 0});
  Create(server.Url("/a"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  browser->GetMainFrame()->LoadURL(server.Url("/b"));
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  ASSERT_TRUE(recorder.WaitFor([&] { return browser->CanGoBack(); }));
  browser->GoBack();
  ASSERT_TRUE(WaitForMainLoadEnd(3));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), server.Url("/a"));
  ASSERT_TRUE(recorder.WaitFor([&] { return browser->CanGoForward(); }));
}

class ConsoleTest : public BrowserTest {};

TEST_F(ConsoleTest, LevelsSourceAndLine) {
  Create(DataUrl("<script>\nconsole.debug('d');\nconsole.log('l', 2);\nconsole.warn('w');\nconsole.error('e');\n"
                 "throw new Error('boom');\n</script>"));
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnConsoleMessage") >= 5; }));
  const auto messages = recorder.Of("OnConsoleMessage");
  std::vector<std::pair<int, std::string>> seen;
  for (const auto& event : messages) seen.emplace_back(event.data["level"], event.data["message"]);
  EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{{LOGSEVERITY_VERBOSE, "d"},
                                                            {LOGSEVERITY_INFO, "l 2"},
                                                            {LOGSEVERITY_WARNING, "w"},
                                                            {LOGSEVERITY_ERROR, "e"},
                                                            {LOGSEVERITY_ERROR, "Uncaught Error: boom"}}));
  EXPECT_EQ(messages[1].data["line"], 3);
  EXPECT_EQ(messages[4].data["line"], 6);
}

class DialogTest : public BrowserTest {};

// The page waits for each answer, which may come from another thread; a
// second answer to one dialog changes nothing.
TEST_F(DialogTest, TheHandlerAnswersEachDialogAndThePageWaitsForIt) {
  client->onDialog = [](const Json& dialog, CefRefPtr<CefJSDialogCallback> callback, bool&) {
    const bool isPrompt = dialog["type"] == JSDIALOGTYPE_PROMPT;
    std::thread([callback, isPrompt] {
      callback->Continue(true, isPrompt ? "typed" : "");
      callback->Continue(false, "");
    }).detach();
    return true;
  };
  Create(DataUrl("<script>console.log('confirm ' + confirm('Sure?'));"
                 "console.log('prompt ' + prompt('Name?', 'def'));"
                 "alert('Hello'); console.log('after alert');</script>"));
  ASSERT_TRUE(WaitForConsole("after alert"));
  EXPECT_TRUE(WaitForConsole("confirm true"));
  EXPECT_TRUE(WaitForConsole("prompt typed"));
  const auto dialogs = recorder.Of("OnJSDialog");
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[0].data["type"], JSDIALOGTYPE_CONFIRM);
  EXPECT_EQ(dialogs[0].data["message"], "Sure?");
  EXPECT_EQ(dialogs[1].data["type"], JSDIALOGTYPE_PROMPT);
  EXPECT_EQ(dialogs[1].data["default"], "def");
  EXPECT_EQ(dialogs[2].data["type"], JSDIALOGTYPE_ALERT);
  EXPECT_TRUE(recorder.WaitForKind("OnDialogClosed", 3));
}

// A dialog the handler leaves to the default is the runtime's own Qt dialog.
TEST_F(DialogTest, ASuppressedDialogIsCancelledAndOneLeftToTheDefaultIsShownByTheRuntime) {
  client->onDialog = [](const Json& dialog, CefRefPtr<CefJSDialogCallback>, bool& suppress) {
    suppress = dialog["message"] == "Quiet?";
    return false;
  };
  Create(DataUrl("<script>console.log('quiet ' + confirm('Quiet?'));"
                 "console.log('default ' + confirm('Default?'));</script>"));
  EXPECT_TRUE(WaitForConsole("quiet false"));
  QMessageBox* shown = WaitForVisibleDialog<QMessageBox>();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->text(), "Default?");
  shown->button(QMessageBox::Cancel)->click();
  EXPECT_TRUE(WaitForConsole("default false"));
}

TEST_F(DialogTest, LeavingThePageClosesItsOpenDialog) {
  Create(DataUrl("<script>alert('Waiting');</script>"));
  QPointer<QMessageBox> shown = WaitForVisibleDialog<QMessageBox>();
  ASSERT_FALSE(shown.isNull());
  browser->GetMainFrame()->LoadURL(DataUrl("<script>console.log('next page');</script>"));
  EXPECT_TRUE(WaitForConsole("next page"));
  EXPECT_TRUE(recorder.WaitFor([&] { return shown.isNull() || !shown->isVisible(); }));
  EXPECT_TRUE(recorder.WaitForKind("OnResetDialogState"));
}

TEST_F(DialogTest, AHundredAlertsInALoopComeOneAtATime) {
  std::atomic<int> open{0};
  std::atomic<int> mostOpen{0};
  client->onDialog = [&](const Json&, CefRefPtr<CefJSDialogCallback> callback, bool&) {
    mostOpen = std::max(mostOpen.load(), ++open);
    std::thread([callback, &open] {
      --open;
      callback->Continue(true, "");
    }).detach();
    return true;
  };
  Create(DataUrl("<script>for (let i = 0; i < 100; i++) alert(i); console.log('all answered');</script>"));
  ASSERT_TRUE(WaitForConsole("all answered", 60000));
  EXPECT_EQ(recorder.Count("OnJSDialog"), 100u);
  EXPECT_EQ(mostOpen, 1);
}

TEST_F(DialogTest, ClosingTheBrowserResetsADialogNobodyAnswered) {
  client->onDialog = [](const Json&, CefRefPtr<CefJSDialogCallback>, bool&) { return true; };
  Create(DataUrl("<script>alert('Waiting');</script>"));
  ASSERT_TRUE(recorder.WaitForKind("OnJSDialog"));
  browser->GetHost()->CloseBrowser(true);
  EXPECT_TRUE(recorder.WaitForKind("OnResetDialogState"));
  EXPECT_TRUE(recorder.WaitForKind("OnBeforeClose"));
}

// A click on a file input asks the dialog handler; the chosen files reach
// the input as a person's choice does.
TEST_F(DialogTest, AFileChooserAsksTheHandlerAndTheChosenFilesReachTheInput) {
  QTemporaryDir dir;
  std::vector<CefString> chosen;
  for (const char* name : {"a.png", "b.jpg"}) {
    std::ofstream(dir.filePath(name).toStdString()) << "x";
    chosen.emplace_back(dir.filePath(name).toStdString());
  }
  client->onFileDialog = [chosen](CefRefPtr<CefFileDialogCallback> callback) {
    callback->Continue(0, chosen);
    callback->Cancel();  // after an answer: nothing
    return true;
  };
  Create(DataUrl("<input type=file multiple accept='.png, image/jpeg' style='position:fixed;inset:0'"
                 " onchange=\"console.log('files ' + Array.from(this.files).map(f => f.name).join(','))\">"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  CefMouseEvent at;
  at.x = 20;
  at.y = 20;
  browser->GetHost()->SendMouseClickEvent(at, MBT_LEFT, false, 1);
  browser->GetHost()->SendMouseClickEvent(at, MBT_LEFT, true, 1);
  ASSERT_TRUE(WaitForConsole("files a.png,b.jpg"));
  const auto dialogs = recorder.Of("OnFileDialog");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].data["mode"], FILE_DIALOG_OPEN_MULTIPLE);
  EXPECT_EQ(dialogs[0].data["filters"], Json::array({".png", "image/jpeg"}));
}

class CrashTest : public BrowserTest {};

TEST_F(CrashTest, CrashIsReportedOnceAndReloadWorks) {
  Create(DataUrl("<p>alive</p>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  cefcompat::CrashRendererForTesting(browser);
  ASSERT_TRUE(recorder.WaitForKind("OnRenderProcessTerminated"));
  EXPECT_EQ(recorder.Of("OnRenderProcessTerminated")[0].data["status"], TS_PROCESS_CRASHED);
  EXPECT_TRUE(browser->IsValid());
  EXPECT_TRUE(browser->GetMainFrame()->IsValid());
  browser->Reload();
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  Run("console.log('back:' + document.body.textContent)");
  EXPECT_TRUE(WaitForConsole("back:alive"));
  EXPECT_EQ(recorder.Count("OnRenderProcessTerminated"), 1u);
}

class PopupTest : public BrowserTest {};

TEST_F(PopupTest, RefusedPopupIsClosedAndNeverABrowser) {
  Create(DataUrl("<p>opener</p>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("const w = window.open('about:blank#popup', 'named');"
      "const t = setInterval(() => { if (w.closed) { clearInterval(t); console.log('popup closed'); } }, 20);");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup"));
  const auto popup = recorder.Of("OnBeforePopup")[0].data;
  EXPECT_EQ(popup["url"], "about:blank#popup");
  EXPECT_EQ(popup["name"], "named");
  EXPECT_TRUE(WaitForConsole("popup closed"));
  EXPECT_EQ(recorder.Count("OnAfterCreated"), 1u);
}

TEST_F(PopupTest, AllowedPopupBecomesABrowser) {
  client->refusePopups = false;
  Create(DataUrl("<p>opener</p>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("window.open('about:blank#allowed')");
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated", 2));
  const auto created = recorder.Of("OnAfterCreated")[1].data;
  EXPECT_TRUE(created["popup"]);
  const int popupId = created["id"];
  EXPECT_NE(popupId, browser->GetIdentifier());
  // Closing the opener leaves the popup to be closed on its own.
  browser->GetHost()->CloseBrowser(true);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  EXPECT_EQ(recorder.Of("OnBeforeClose")[0].data["id"], browser->GetIdentifier());
}

class InputTest : public BrowserTest {
 protected:
  QWindow* Surface() { return cefcompat::SurfaceForHandle(browser->GetHost()->GetWindowHandle()); }
  // The browser's surface, with each painted frame waking the recorder's waits.
  cefcompat::SurfaceWindow* WatchedSurface() {
    auto* surface = static_cast<cefcompat::SurfaceWindow*>(Surface());
    if (surface) QObject::connect(surface, &cefcompat::SurfaceWindow::FramePainted, &recorder, &EventRecorder::Changed);
    return surface;
  }
};

TEST_F(InputTest, KeysReachTheHandlerWithWindowsCodesAndThePage) {
  Create(DataUrl("<script>addEventListener('keydown', e => console.log('page:' + e.key + ':' + e.keyCode));</script>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  QWindow* surface = Surface();
  ASSERT_NE(surface, nullptr);
  for (auto [key, text] : {std::pair<int, QString>{Qt::Key_A, "a"}, {Qt::Key_F5, ""}}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(surface, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(surface, &release);
  }
  QKeyEvent altF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
  QCoreApplication::sendEvent(surface, &altF4);
  EXPECT_TRUE(WaitForConsole("page:a:65"));
  EXPECT_TRUE(WaitForConsole("page:F5:116"));
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnKeyEvent") >= 6; }));
  std::vector<std::pair<int, int>> rawDowns;
  for (const auto& event : recorder.Of("OnKeyEvent")) {
    EXPECT_TRUE(event.data["onUiThread"]);
    if (event.data["type"] == KEYEVENT_RAWKEYDOWN) rawDowns.emplace_back(event.data["code"], event.data["modifiers"]);
  }
  EXPECT_EQ(rawDowns, (std::vector<std::pair<int, int>>{{0x41, 0}, {0x74, 0}, {0x73, EVENTFLAG_ALT_DOWN}}));
  EXPECT_EQ(recorder.Count("OnPreKeyEvent"), recorder.Count("OnKeyEvent"));
}

TEST_F(InputTest, SurfacePaintsThePage) {
  Create(DataUrl("<body style='margin:0;background:rgb(0,160,0)'></body>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  auto* surface = WatchedSurface();
  ASSERT_NE(surface, nullptr);
  surface->resize(320, 200);
  surface->show();
  // Frames have the surface's own pixels (twice its size at Qt's scale 2).
  const int scale = static_cast<int>(surface->devicePixelRatio());
  ASSERT_TRUE(recorder.WaitFor(
      [&] {
        const QImage frame = surface->LastFrame();
        if (frame.width() != 320 * scale) return false;
        const QColor color = frame.pixelColor(160 * scale, 100 * scale);
        return color.green() > 140 && color.red() < 30 && color.blue() < 30;
      },
      15000))
      << "last frame " << surface->LastFrame().width() << "x" << surface->LastFrame().height();
  browser->GetMainFrame()->ExecuteJavaScript("console.log('ratio:' + devicePixelRatio)", "", 0);
  EXPECT_TRUE(WaitForConsole("ratio:" + std::to_string(scale)));
  surface->hide();
}

TEST_F(InputTest, WindowContainerHoldsTheSurfaceAndItsSizeFollows) {
  Create(DataUrl("<body style='margin:0;background:rgb(0,0,200)'></body>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  auto* surface = WatchedSurface();
  ASSERT_NE(surface, nullptr);
  QWidget host;
  auto* layout = new QVBoxLayout(&host);
  layout->setContentsMargins(0, 0, 0, 0);
  QWidget* container = QWidget::createWindowContainer(surface);
  layout->addWidget(container);
  host.resize(400, 300);
  host.show();
  const int scale = static_cast<int>(surface->devicePixelRatio());
  ASSERT_TRUE(recorder.WaitFor([&] {
    const QImage frame = surface->LastFrame();
    return frame.width() == 400 * scale && frame.height() == 300 * scale &&
           frame.pixelColor(200 * scale, 150 * scale).blue() > 160;
  })) << surface->LastFrame().width() << "x" << surface->LastFrame().height();
  browser->GetHost()->CloseBrowser(true);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose"));
}

TEST_F(InputTest, RightClickAsksTheContextMenuHandler) {
  Create(DataUrl("<body style='height:300px'><a href='https://example.test/x'>link</a></body>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  CefMouseEvent at;
  at.x = 20, at.y = 200;
  browser->GetHost()->SendMouseClickEvent(at, MBT_RIGHT, false, 1);
  browser->GetHost()->SendMouseClickEvent(at, MBT_RIGHT, true, 1);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeContextMenu"));
  const auto menu = recorder.Of("OnBeforeContextMenu")[0].data;
  EXPECT_EQ(menu["x"], 20);
  EXPECT_EQ(menu["y"], 200);
  EXPECT_TRUE(menu["main"]);
  EXPECT_GT(menu["items"], 0);
}

TEST_F(InputTest, DragIntoTheSurfaceAsksTheDragHandler) {
  Create(DataUrl("<p>drop here</p>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  QMimeData mime;
  mime.setText("dragged text");
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Surface(), &enter);
  ASSERT_TRUE(recorder.WaitForKind("OnDragEnter"));
  EXPECT_EQ(recorder.Of("OnDragEnter")[0].data["text"], "dragged text");
}

class SwitchesTest : public BrowserTest {};

TEST_F(SwitchesTest, ApplicationSwitchesReachChromium) {
  Create(DataUrl("<script>console.log(navigator.userAgent)</script>"));
  EXPECT_TRUE(WaitForConsole("VellTest/1.0 [DrevanLauncher/test/en/1.2.3/1]"));
  std::ifstream cmdline("/proc/" + std::to_string(cefcompat::ChromiumPidForTesting()) + "/cmdline");
  std::string arguments((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
  EXPECT_NE(arguments.find("--autoplay-policy=no-user-gesture-required"), std::string::npos);
  EXPECT_NE(arguments.find("--remote-debugging-port="), std::string::npos);
}

class DevToolsTest : public BrowserTest {};

TEST_F(DevToolsTest, ShowAndCloseDevTools) {
  Create(DataUrl("<p>inspect me</p>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  EXPECT_FALSE(browser->GetHost()->HasDevTools());
  CefWindowInfo info;
  info.SetAsPopup(0, "DevTools test");
  browser->GetHost()->ShowDevTools(info, client.get(), CefBrowserSettings(), CefPoint());
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated", 2));
  EXPECT_TRUE(browser->GetHost()->HasDevTools());
  const int devToolsId = recorder.Of("OnAfterCreated")[1].data["id"];
  auto* window = cefcompat::SurfaceForHandle(recorder.Of("OnAfterCreated")[1].data["handle"].get<unsigned long>());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->title(), QString("DevTools test"));
  browser->GetHost()->CloseDevTools();
  EXPECT_FALSE(browser->GetHost()->HasDevTools());
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  EXPECT_EQ(recorder.Of("OnBeforeClose")[0].data["id"], devToolsId);
  EXPECT_TRUE(browser->IsValid());
}

}  // namespace
