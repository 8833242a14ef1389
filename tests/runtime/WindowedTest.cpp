// Pages as a person meets them in windowed mode, on a real X server (run
// under Xvfb with openbox): each page is Chromium's own window inside the
// launcher's widget, driven by real X input and read back from X and from
// the page.
#include <csignal>
#include <memory>
#include <string>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include "HostHarness.h"
#include "LauncherEnvironment.h"
#include "ShownPage.h"
#include "VisibleDialog.h"
#include "X11Desktop.h"
#include "inter/VellBrowserWrapper.h"
#include "testing_hooks.h"
#include "view/surface_window.h"

namespace {

const auto* const g_windowManager = ::testing::AddGlobalTestEnvironment(new WindowManagerEnvironment());
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment());

// Everything at fixed places (CSS pixels from the page's top left).
const char kPage[] =
    "document.write(`<style>body { margin: 0; font: 16px sans-serif }"
    "  #s { position: absolute; left: 20px; top: 20px; width: 200px; height: 30px }"
    "  #a { position: absolute; left: 300px; top: 20px; font-size: 30px }"
    "  #t { position: absolute; left: 20px; top: 100px; margin: 0; font-size: 30px }"
    "  #i { position: absolute; left: 20px; top: 160px; width: 200px; height: 30px }"
    "  #tip { position: absolute; left: 300px; top: 100px; width: 100px; height: 40px; background: #ccc }"
    "  #b { position: absolute; left: 300px; top: 160px; width: 100px; height: 30px }"
    "  #f { position: absolute; left: 300px; top: 220px; width: 100px; height: 30px }</style>"
    "<select id=s><option>alpha<option>beta<option>gamma</select>"
    "<a id=a href='#'>link</a><p id=t>plain text</p><input id=i>"
    "<div id=tip title='the tip'>hover</div><button id=b>alert</button><button id=f>full</button>`);"
    "s.onchange = () => log('select', s.value);"
    "i.oninput = () => log('input', i.value);"
    "b.onclick = () => { alert('hello'); log('alert answered'); };"
    "f.onclick = () => document.documentElement.requestFullscreen();"
    "document.onfullscreenchange = () => log('fullscreen', !!document.fullscreenElement);"
    "addEventListener('keydown', (e) => log('key', e.key));"
    "addEventListener('contextmenu', () => log('contextmenu'));"
    "document.addEventListener('visibilitychange', () => log('visibility', document.visibilityState));"
    "addEventListener('dragenter', (e) => log('dragenter', [...e.dataTransfer.types].join(',')));"
    "addEventListener('dragover', (e) => e.preventDefault());"
    "addEventListener('drop', (e) => { e.preventDefault(); log('drop', [...e.dataTransfer.files].map(f => f.name).join(',')); });"
    "addEventListener('resize', () => log('size', innerWidth + 'x' + innerHeight));"
    // Chromium's window takes the focus in a few steps (focus, blur, focus...):
    // "page focus|n" once the n-th focus has lasted 150 ms of the page's time.
    "let focused = 0; addEventListener('focus', () => { const n = ++focused;"
    "  setTimeout(() => { if (n === focused && document.hasFocus()) log('page focus', n); }, 150); });"
    "addEventListener('load', () => log('ready', innerWidth + 'x' + innerHeight, devicePixelRatio));";

class WindowedTest : public ShownPage {
 protected:
  void SetUp() override {
    ShownPage::SetUp();
    if (HasFatalFailure()) return;
    auto* layout = new QVBoxLayout(&mainWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&lineEdit);
    layout->addWidget(widget.get());
    mainWindow.setGeometry(100, 100, 640, 480);
    mainWindow.show();
    ASSERT_TRUE(WaitUntil([&] { return mainWindow.windowHandle()->isExposed(); }));
    widget->LoadUrl(Page(kPage));
    ASSERT_TRUE(WaitForLog("ready|"));
    ClickInto(lineEdit);  // the page starts without the keyboard
  }

  // A point of the page in screen coordinates.
  QPoint At(int x, int y) const { return widget->mapToGlobal(QPoint(x, y)); }
  // A click into the page, which then has the keyboard (X's focus on
  // Chromium's window, and the page told) as a person sees it before typing.
  void ClickIntoPage(const QPoint& global) {
    const size_t before = HostLog().Matching("page focus|").size();
    desktop.Click(global);
    ASSERT_TRUE(WaitUntil([&] { return HostLog().Matching("page focus|").size() > before; })) << "the page got no focus";
  }
  void ClickInto(QLineEdit& edit) {
    desktop.Click(edit.mapToGlobal(QPoint(20, edit.height() / 2)));
    ASSERT_TRUE(WaitUntil([&] { return edit.hasFocus() && desktop.FocusWindow() == edit.window()->winId(); }))
        << "Qt got no focus";
  }
  cefcompat::SurfaceWindow* Surface() const {
    return static_cast<cefcompat::SurfaceWindow*>(
        cefcompat::SurfaceForHandle(browser.GetVellHandler()->GetBrowser()->GetWindowHandle()));
  }

  X11Desktop desktop;
  QWidget mainWindow;
  QLineEdit lineEdit;
};

// The desktop's clipboard as another application sees it (xclip).
std::string ReadClipboard() {
  QProcess xclip;
  xclip.start("xclip", {"-selection", "clipboard", "-o"});
  if (!xclip.waitForFinished(5000)) return "(xclip did not answer)";
  return xclip.readAllStandardOutput().toStdString();
}

void WriteClipboard(const std::string& text) {
  QProcess xclip;
  xclip.start("xclip", {"-selection", "clipboard", "-i"});
  xclip.write(text.c_str());
  xclip.closeWriteChannel();
  xclip.waitForFinished(5000);  // it stays behind, serving the text, until another takes the clipboard
}

// The page's size as it last logged it, at its load or a resize since.
std::string LastPageSize() { return LastLoggedSize({"ready", "size"}); }

std::string SizeText(const QSize& size) { return std::to_string(size.width()) + "x" + std::to_string(size.height()); }

TEST_F(WindowedTest, ThePageIsChromiumsOwnWindowFillingTheWidget) {
  ASSERT_NE(Surface(), nullptr);
  EXPECT_NE(Surface()->Embedded(), 0u) << "no Chromium window in the surface";
  const auto ready = HostLog().Matching(" ready|");
  ASSERT_FALSE(ready.empty());
  EXPECT_EQ(ready.back().text.substr(ready.back().text.rfind('|') + 1),
            std::to_string(static_cast<int>(qApp->devicePixelRatio())))
      << "the page is not at the screen's pixel ratio";
  // Loaded before or after the window took the widget's size, it ends at that size.
  EXPECT_TRUE(WaitUntil([&] { return LastPageSize() == SizeText(widget->size()); }))
      << "the page is " << LastPageSize() << ", not the widget's " << SizeText(widget->size());
  // It follows the widget.
  mainWindow.resize(700, 520);
  ASSERT_TRUE(WaitUntil([&] { return widget->width() == 700; }));
  EXPECT_TRUE(WaitUntil([&] { return LastPageSize() == SizeText(widget->size()); }))
      << "the page is " << LastPageSize() << ", not the widget's " << SizeText(widget->size());
}

TEST_F(WindowedTest, ASelectsListShowsUnderItAndAClickPicksAnOption) {
  const int popupsBefore = desktop.ViewablePopups();
  desktop.Click(At(60, 35));
  ASSERT_TRUE(WaitUntil([&] { return desktop.ViewablePopups() > popupsBefore; })) << "no list was shown";
  // The list starts under the select; its options are about 20 px high.
  desktop.Click(At(60, 50 + 30));
  ASSERT_TRUE(WaitForConsole("select|beta"));
  EXPECT_TRUE(WaitUntil([&] { return desktop.ViewablePopups() == popupsBefore; })) << "the list stayed";
}

TEST_F(WindowedTest, ATitleShowsATooltip) {
  const int popupsBefore = desktop.ViewablePopups();
  desktop.MoveTo(At(340, 115));
  desktop.MoveTo(At(350, 120));
  EXPECT_TRUE(WaitUntil([&] { return desktop.ViewablePopups() > popupsBefore; })) << "no tooltip was shown";
}

TEST_F(WindowedTest, KeysGoWhereThePersonClicked) {
  ClickIntoPage(At(100, 175));
  desktop.Type("ab");
  ASSERT_TRUE(WaitForConsole("input|ab"));
  ClickInto(lineEdit);
  desktop.Type("cd");
  EXPECT_TRUE(WaitUntil([&] { return lineEdit.text() == "cd"; })) << lineEdit.text().toStdString();
  ClickIntoPage(At(180, 175));  // away from the first click: not a double click
  desktop.Type("e");
  ASSERT_TRUE(WaitForConsole("input|abe"));
  EXPECT_EQ(lineEdit.text(), "cd");
}

TEST_F(WindowedTest, TabOutOfThePageGivesTheKeysToTheNextWidget) {
  ClickIntoPage(At(100, 175));
  for (int i = 0; i < 3; ++i) desktop.Key("Tab");  // the two buttons, then out of the page
  ASSERT_TRUE(WaitUntil([&] { return lineEdit.hasFocus() && desktop.FocusWindow() == mainWindow.winId(); }))
      << "the keyboard stayed with the page";
  // X gives keys to the window under the pointer when the focus is on one of
  // its ancestors: the pointer rests away from the page, as after reaching for a
  // widget (see the README's limits of windowed mode).
  desktop.MoveTo(lineEdit.mapToGlobal(QPoint(lineEdit.width() - 5, lineEdit.height() / 2)));
  desktop.Type("zz");
  EXPECT_TRUE(WaitUntil([&] { return lineEdit.text() == "zz"; }))
      << "the line edit holds '" << lineEdit.text().toStdString() << "'";
  EXPECT_TRUE(HostLog().Matching("key|z").empty()) << "the page still had the keys";
}

TEST_F(WindowedTest, CopyAndPasteGoThroughTheDesktopsClipboard) {
  ClickIntoPage(At(100, 175));
  desktop.Type("copy me");
  ASSERT_TRUE(WaitForConsole("input|copy me"));
  desktop.Key("a", {"ctrl"});
  desktop.Key("c", {"ctrl"});
  EXPECT_TRUE(WaitUntil([] { return ReadClipboard() == "copy me"; })) << "the clipboard holds '" << ReadClipboard() << "'";

  WriteClipboard("from the desktop");
  ASSERT_TRUE(WaitUntil([] { return ReadClipboard() == "from the desktop"; })) << "xclip did not take the clipboard";
  desktop.Key("a", {"ctrl"});
  desktop.Key("v", {"ctrl"});
  EXPECT_TRUE(WaitForConsole("input|from the desktop"));
}

TEST_F(WindowedTest, ARightClickShowsNoMenuOfChromiumsOwn) {
  const int popupsBefore = desktop.ViewablePopups();
  desktop.Click(At(100, 120), 3);
  ASSERT_TRUE(WaitForConsole("contextmenu"));
  // The framework's handler empties the menu: nothing may show, Chromium's own neither.
  EXPECT_FALSE(WaitUntil([&] { return desktop.ViewablePopups() > popupsBefore; }, 1000)) << "a menu was shown";
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(WindowedTest, AnAlertIsTheLaunchersDialogAndThePageWaitsForIt) {
  desktop.Click(At(340, 175));
  QMessageBox* dialog = WaitForVisibleDialog<QMessageBox>();
  ASSERT_NE(dialog, nullptr) << "no dialog was shown";
  EXPECT_EQ(dialog->text(), "hello");
  EXPECT_TRUE(ConsoleLines("alert answered").empty());
  dialog->accept();
  EXPECT_TRUE(WaitForConsole("alert answered"));
}

TEST_F(WindowedTest, FullscreenFillsTheTopLevelWindowAndEscapeLeavesIt) {
  const QSize normal = widget->size();
  ClickIntoPage(At(340, 235));
  ASSERT_TRUE(WaitForConsole("fullscreen|true"));
  ASSERT_TRUE(WaitUntil([&] { return mainWindow.isFullScreen(); })) << "the launcher's window is not fullscreen";
  const QSize screen = mainWindow.screen()->size();
  EXPECT_TRUE(WaitUntil([&] { return LastPageSize() == SizeText(screen); })) << LastPageSize();
  desktop.Key("x");  // the keyboard stayed with the page
  ASSERT_TRUE(WaitForConsole("key|x"));
  desktop.Key("Escape");
  ASSERT_TRUE(WaitForConsole("fullscreen|false"));
  ASSERT_TRUE(WaitUntil([&] { return !mainWindow.isFullScreen() && widget->size() == normal; }));
  EXPECT_TRUE(WaitUntil([&] { return LastPageSize() == SizeText(normal); })) << LastPageSize();
}

// The pointer's shape as X shows it over the page, beside the same shape a Qt
// widget shows (both come from the desktop's cursor theme, or X's cursor font
// without one): a hand over a link, an I-beam over text and fields, the arrow
// elsewhere. Chromium may show an arrow for a moment on the way, so each shape
// is waited for.
TEST_F(WindowedTest, TheCursorXShowsIsTheDesktopsShapeForWhatIsUnderThePointer) {
  desktop.MoveTo(lineEdit.mapToGlobal(QPoint(lineEdit.width() - 20, lineEdit.height() / 2)));
  // Qt names the cursors it sets; each shape asked differs from the one before.
  X11Desktop::Cursor shown;
  auto qtCursor = [&](Qt::CursorShape shape) {
    const X11Desktop::Cursor before = shown;
    lineEdit.setCursor(shape);
    EXPECT_TRUE(WaitUntil([&] { return (shown = desktop.ShownCursor()) != before && !shown.name.empty(); }))
        << "Qt's cursor " << shape << " not shown";
    return shown;
  };
  const X11Desktop::Cursor arrow = qtCursor(Qt::ArrowCursor);
  const X11Desktop::Cursor hand = qtCursor(Qt::PointingHandCursor);
  const X11Desktop::Cursor ibeam = qtCursor(Qt::IBeamCursor);
  ASSERT_NE(hand, arrow);
  ASSERT_NE(ibeam, arrow);
  desktop.MoveTo(At(320, 38));
  EXPECT_TRUE(WaitUntil([&] { return desktop.ShownCursor() == hand; })) << "no hand over the link";
  desktop.MoveTo(At(60, 118));
  EXPECT_TRUE(WaitUntil([&] { return desktop.ShownCursor() == ibeam; })) << "no I-beam over the text";
  desktop.MoveTo(At(560, 400));
  EXPECT_TRUE(WaitUntil([&] { return desktop.ShownCursor() == arrow; })) << "no arrow over the page's background";
  desktop.MoveTo(At(60, 175));
  EXPECT_TRUE(WaitUntil([&] { return desktop.ShownCursor() == ibeam; })) << "no I-beam over the field";
}

// The framework's drag handler refuses every drag: a file dropped on a page
// must not replace the launcher's page with the file.
TEST_F(WindowedTest, AFileDraggedFromTheDesktopAsksTheDragHandlerWhichRefusesIt) {
  desktop.DragFileOnto(At(200, 300), "/tmp/dropped-notes.txt");
  EXPECT_TRUE(WaitForLog("VellHandler::OnDragEnter: a drag into browser"));
  widget->LoadUrl(Page("log('after the drop');"));
  ASSERT_TRUE(WaitForConsole("after the drop"));
  EXPECT_TRUE(HostLog().Matching("dragenter|").empty()) << "the page saw the refused drag";
  EXPECT_TRUE(HostLog().Matching("drop|").empty()) << "the page got the file";
}

// Closes the browser (its widget) before the containers a test put it in go.
struct WidgetReleaser {
  std::unique_ptr<VellWidget>& widget;
  ~WidgetReleaser() { widget.reset(); }
};

TEST_F(WindowedTest, InATabOfADialogBesideASplitterThePageFillsItsWidgetAndHidesWithIt) {
  QDialog dialog;
  QTabWidget tabs;
  QSplitter splitter;
  QLabel side("side");
  QLabel other("another tab");
  WidgetReleaser release{widget};
  splitter.addWidget(&side);
  splitter.addWidget(widget.get());
  tabs.addTab(&other, "other");
  tabs.addTab(&splitter, "page");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(&tabs);
  dialog.setGeometry(120, 120, 600, 420);
  dialog.show();
  tabs.setCurrentIndex(1);
  ASSERT_TRUE(WaitUntil([&] { return dialog.windowHandle()->isExposed() && widget->isVisible(); }));
  EXPECT_TRUE(WaitUntil([&] { return LastPageSize() == SizeText(widget->size()); }))
      << "the page is " << LastPageSize() << ", not the widget's " << SizeText(widget->size());
  splitter.setSizes({200, 400});
  ASSERT_TRUE(WaitUntil([&] { return widget->width() < 420; }));
  EXPECT_TRUE(WaitUntil([&] { return LastPageSize() == SizeText(widget->size()); }))
      << "the page is " << LastPageSize() << ", not the widget's " << SizeText(widget->size());
  const size_t hidden = ConsoleLines("visibility|hidden").size();
  tabs.setCurrentIndex(0);
  EXPECT_TRUE(WaitUntil([&] { return ConsoleLines("visibility|hidden").size() > hidden; })) << "the page stayed visible";
  const size_t visible = ConsoleLines("visibility|visible").size();
  tabs.setCurrentIndex(1);
  EXPECT_TRUE(WaitUntil([&] { return ConsoleLines("visibility|visible").size() > visible; })) << "the page stayed hidden";
}

// ---- faults and bad input: no hang, no crash, no window left behind ------------

int VisibleMessageBoxes() {
  int visible = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMessageBox*>(widget) && widget->isVisible()) ++visible;
  }
  return visible;
}

TEST_F(WindowedTest, AHundredAlertsComeOneAtATimeAndClosingTheBrowserEndsThem) {
  widget->LoadUrl(Page("for (let i = 0; i < 100; ++i) alert('alert ' + i); log('all answered');"));
  for (int i = 0; i < 3; ++i) {
    QMessageBox* dialog = WaitForVisibleDialog<QMessageBox>();
    ASSERT_NE(dialog, nullptr) << "alert " << i << " was not shown";
    EXPECT_EQ(dialog->text().toStdString(), "alert " + std::to_string(i));
    EXPECT_EQ(VisibleMessageBoxes(), 1);
    dialog->accept();
    ASSERT_TRUE(WaitUntil([&] { return VisibleMessageBoxes() == 0 || WaitForVisibleDialog<QMessageBox>() != dialog; }));
  }
  bool ticked = false;  // the launcher's own event loop runs meanwhile
  QTimer::singleShot(0, [&] { ticked = true; });
  EXPECT_TRUE(WaitUntil([&] { return ticked; }));
  widget.reset();
  ASSERT_TRUE(WaitUntil([&] { return closed_->count() == 1; })) << "the browser did not close";
  EXPECT_TRUE(WaitUntil([] { return VisibleMessageBoxes() == 0; })) << "a dialog outlived its browser";
  EXPECT_TRUE(HostLog().Matching("all answered").empty());
}

TEST_F(WindowedTest, ChromiumKilledWithAListOpenLeavesNoWindowBehind) {
  const int popupsBefore = desktop.ViewablePopups();
  desktop.Click(At(60, 35));
  ASSERT_TRUE(WaitUntil([&] { return desktop.ViewablePopups() > popupsBefore; })) << "no list was shown";
  ASSERT_EQ(kill(cefcompat::ChromiumPidForTesting(), SIGKILL), 0);
  ASSERT_TRUE(WaitUntil([&] { return closed_->count() == 1; })) << "the browser was not closed";
  EXPECT_TRUE(WaitUntil([&] { return desktop.ViewablePopups() == popupsBefore; })) << "the list stayed";
  EXPECT_FALSE(HostLog().Matching("Chromium is gone").empty());
  EXPECT_TRUE(WaitForLog("Chromium started again"));
}

TEST_F(WindowedTest, ChromiumKilledWithADialogOpenClosesTheDialog) {
  desktop.Click(At(340, 175));
  ASSERT_NE(WaitForVisibleDialog<QMessageBox>(), nullptr) << "no dialog was shown";
  ASSERT_EQ(kill(cefcompat::ChromiumPidForTesting(), SIGKILL), 0);
  ASSERT_TRUE(WaitUntil([&] { return closed_->count() == 1; })) << "the browser was not closed";
  EXPECT_TRUE(WaitUntil([] { return VisibleMessageBoxes() == 0; })) << "the dialog outlived Chromium";
  EXPECT_TRUE(WaitForLog("Chromium started again"));
}

TEST_F(WindowedTest, AWidgetMovedToAnotherWindowWhileItsPageLoadsEndsFillingIt) {
  widget->LoadUrl(Page(kPage));  // loads again while the widget moves
  QWidget other;
  WidgetReleaser release{widget};
  auto* layout = new QVBoxLayout(&other);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(widget.get());
  other.setGeometry(150, 150, 500, 300);
  other.show();
  ASSERT_TRUE(WaitUntil([&] { return other.windowHandle()->isExposed() && widget->size() == other.size(); }));
  EXPECT_TRUE(WaitUntil([&] { return LastPageSize() == SizeText(widget->size()); }))
      << "the page is " << LastPageSize() << ", not the widget's " << SizeText(widget->size());
  ClickIntoPage(At(100, 175));  // still a page a person can use
  desktop.Type("moved");
  EXPECT_TRUE(WaitForConsole("input|moved"));
}

TEST_F(WindowedTest, APageThatChangesItsCursorOnEveryMoveStaysResponsive) {
  widget->LoadUrl(Page("const shapes = ['pointer', 'text', 'wait', 'move', 'crosshair']; let moves = 0;"
                       "const root = document.documentElement; root.style.height = '100vh';"
                       "addEventListener('mousemove', () => { root.style.cursor = shapes[++moves % 5]; });"
                       "addEventListener('click', () => log('clicked after', moves > 0 ? 'moves' : 'none'));"
                       "addEventListener('load', () => log('cursor page'));"));
  ASSERT_TRUE(WaitForConsole("cursor page"));
  for (int i = 0; i < 60; ++i) desktop.MoveTo(At(20 + 5 * i, 100 + (i % 7)));
  desktop.Click(At(320, 120));
  EXPECT_TRUE(WaitForConsole("clicked after|moves"));
}

}  // namespace
