// What the page shows around its content (display handler), where the
// keyboard goes (focus handler) and the context menu, with what a windowless
// surface shows when the handler leaves it.
#include <map>
#include <string>

#include <QCoreApplication>
#include <QCursor>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QToolTip>
#include <QWindow>

#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"
#include "WaitUntil.h"
#include "include/cef_browser.h"
#include "view/surface_window.h"

namespace {

class DisplayHandlerTest : public BrowserTest {
 protected:
  QWindow* Surface() { return cefcompat::SurfaceForHandle(browser->GetHost()->GetWindowHandle()); }
  void MoveTo(int x, int y) {
    CefMouseEvent at;
    at.x = x, at.y = y;
    browser->GetHost()->SendMouseMoveEvent(at, false);
  }
  void Click(int x, int y) {
    CefMouseEvent at;
    at.x = x, at.y = y;
    browser->GetHost()->SendMouseClickEvent(at, MBT_LEFT, false, 1);
    browser->GetHost()->SendMouseClickEvent(at, MBT_LEFT, true, 1);
  }
  bool WaitForLast(const std::string& kind, const std::string& key, const nlohmann::json& value) {
    return recorder.WaitFor([&] {
      const auto events = recorder.Of(kind);
      return !events.empty() && events.back().data[key] == value;
    });
  }
};

// Rows of 50 px: a pointer, a text field, a url() cursor with its fallback, a
// titled link, and an empty area.
const char kRows[] =
    "<body style='margin:0'>"
    "<div style='cursor:pointer;height:50px'>hand</div>"
    "<input style='display:block;box-sizing:border-box;height:50px;width:200px;margin:0'>"
    "<div style='cursor:url(missing.png) 2 2, move;height:50px'>move</div>"
    "<a href='https://example.test/docs' title='Read the docs' style='display:block;height:50px'>docs</a>"
    "<div style='height:50px'></div></body>";

TEST_F(DisplayHandlerTest, CursorFollowsThePageAndTheSurfaceShowsIt) {
  Create(DataUrl(kRows));
  ASSERT_TRUE(WaitForMainLoadEnd());
  const std::vector<std::pair<int, cef_cursor_type_t>> rows = {
      {25, CT_HAND}, {75, CT_IBEAM}, {125, CT_MOVE}, {175, CT_HAND}, {225, CT_POINTER}};
  for (const auto& [y, type] : rows) {
    MoveTo(20, y);
    ASSERT_TRUE(WaitForLast("OnCursorChange", "type", type)) << "at y " << y;
  }
  MoveTo(20, 25);
  ASSERT_TRUE(WaitForLast("OnCursorChange", "type", CT_HAND));
  ASSERT_TRUE(WaitUntil([&] { return Surface()->cursor().shape() == Qt::PointingHandCursor; }));
  MoveTo(20, 75);
  ASSERT_TRUE(WaitUntil([&] { return Surface()->cursor().shape() == Qt::IBeamCursor; }));
}

TEST_F(DisplayHandlerTest, ACursorTheClientShowsIsLeftAlone) {
  client->showsCursor = true;
  Create(DataUrl(kRows));
  ASSERT_TRUE(WaitForMainLoadEnd());
  MoveTo(20, 25);
  ASSERT_TRUE(WaitForLast("OnCursorChange", "type", CT_HAND));
  MoveTo(20, 75);
  ASSERT_TRUE(WaitForLast("OnCursorChange", "type", CT_IBEAM));
  EXPECT_EQ(Surface()->cursor().shape(), Qt::ArrowCursor);
}

// A page that changes its cursor on every move (Chromium coalesces some of
// the moves): the surface keeps up and ends on the page's last shape, and the
// page still answers a click.
TEST_F(DisplayHandlerTest, ACursorChangedOnEveryMoveEndsOnThePagesLastShape) {
  Create(DataUrl("<body style='margin:0;height:100vh'><script>"
                 "const shapes = ['pointer', 'text', 'wait', 'move', 'crosshair']; let moves = 0;"
                 "addEventListener('mousemove', () => { document.body.style.cursor = shapes[++moves % 5]; });"
                 "addEventListener('click', () => console.log('clicked on ' + document.body.style.cursor));"
                 "</script></body>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  for (int i = 1; i <= 500; ++i) MoveTo(10 + i % 300, 10 + i % 200);
  Click(20, 20);
  std::string clicked;
  ASSERT_TRUE(recorder.WaitFor([&] {
    for (const auto& event : recorder.Of("OnConsoleMessage")) {
      const std::string message = event.data.value("message", std::string());
      if (message.rfind("clicked on ", 0) == 0) clicked = message.substr(11);
    }
    return !clicked.empty();
  }));
  const std::map<std::string, Qt::CursorShape> shapes = {{"pointer", Qt::PointingHandCursor},
                                                         {"text", Qt::IBeamCursor},
                                                         {"wait", Qt::WaitCursor},
                                                         {"move", Qt::SizeAllCursor},
                                                         {"crosshair", Qt::CrossCursor}};
  ASSERT_EQ(shapes.count(clicked), 1u) << clicked;
  EXPECT_TRUE(WaitUntil([&] { return Surface()->cursor().shape() == shapes.at(clicked); })) << clicked;
}

TEST_F(DisplayHandlerTest, TitledLinkGivesTooltipAndStatusUntilTheMouseLeavesIt) {
  Create(DataUrl(kRows));
  ASSERT_TRUE(WaitForMainLoadEnd());
  MoveTo(20, 175);
  ASSERT_TRUE(WaitForLast("OnTooltip", "text", "Read the docs"));
  ASSERT_TRUE(WaitForLast("OnStatusMessage", "value", "https://example.test/docs"));
  ASSERT_TRUE(WaitUntil([] { return QToolTip::isVisible() && QToolTip::text() == "Read the docs"; }));
  MoveTo(20, 225);
  ASSERT_TRUE(WaitForLast("OnTooltip", "text", ""));
  ASSERT_TRUE(WaitForLast("OnStatusMessage", "value", ""));
  ASSERT_TRUE(WaitUntil([] { return !QToolTip::isVisible(); }));
}

TEST_F(DisplayHandlerTest, FullscreenEnteredByAClickAndLeftByEscape) {
  Create(DataUrl("<body style='margin:0'><button style='width:200px;height:100px' "
                 "onclick='document.body.requestFullscreen()'>full</button></body>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Click(50, 50);
  ASSERT_TRUE(WaitForLast("OnFullscreenModeChange", "fullscreen", true));
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(Surface(), &press);
  QCoreApplication::sendEvent(Surface(), &release);
  ASSERT_TRUE(WaitForLast("OnFullscreenModeChange", "fullscreen", false));
  EXPECT_EQ(recorder.Count("OnFullscreenModeChange"), 2u);
}

TEST_F(DisplayHandlerTest, LoadingProgressGrowsToOne) {
  TestHttpServer server;
  std::string images;
  for (int i = 0; i < 6; ++i) {
    const std::string path = "/image" + std::to_string(i);
    server.Route(QByteArray::fromStdString(path), {200, "image/svg+xml", "<svg xmlns='http://www.w3.org/2000/svg'/>", 20 * i});
    images += "<img src='" + path + "'>";
  }
  server.Route("/page", {200, "text/html", QByteArray::fromStdString("<body>" + images + "</body>"), 0});
  Create(server.Url("/page"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  ASSERT_TRUE(WaitForLast("OnLoadingProgressChange", "progress", 1.0));
  std::vector<double> progress;
  for (const auto& event : recorder.Of("OnLoadingProgressChange")) progress.push_back(event.data["progress"]);
  EXPECT_DOUBLE_EQ(progress.front(), 0.1);
  EXPECT_GT(progress.size(), 3u) << "steps between the start and the end";
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

class FocusHandlerTest : public DisplayHandlerTest {
 protected:
  void Tab(bool shift) {
    QKeyEvent press(QEvent::KeyPress, shift ? Qt::Key_Backtab : Qt::Key_Tab, shift ? Qt::ShiftModifier : Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, shift ? Qt::Key_Backtab : Qt::Key_Tab,
                      shift ? Qt::ShiftModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(Surface(), &press);
    QCoreApplication::sendEvent(Surface(), &release);
  }
};

const char kFields[] =
    "<input id=one><input id=two><script>"
    "addEventListener('focusin', (e) => console.log('focus:' + e.target.id));</script>";

TEST_F(FocusHandlerTest, TabPastTheEndsLetsTheKeyboardGo) {
  Create(DataUrl(kFields));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("document.getElementById('two').focus()");
  ASSERT_TRUE(WaitForConsole("focus:two"));
  Tab(false);
  ASSERT_TRUE(WaitForLast("OnTakeFocus", "next", true));
  Run("console.log('active:' + document.activeElement.tagName)");
  EXPECT_TRUE(WaitForConsole("active:BODY")) << "the last field kept the focus";
  Run("document.getElementById('one').focus()");
  ASSERT_TRUE(WaitForConsole("focus:one"));
  Tab(true);
  ASSERT_TRUE(WaitForLast("OnTakeFocus", "next", false));
  // Within the page, Tab moves as it always does.
  Run("document.getElementById('one').focus()");
  Tab(false);
  EXPECT_TRUE(WaitForConsole("focus:two"));
  EXPECT_EQ(recorder.Count("OnTakeFocus"), 2u);
}

TEST_F(FocusHandlerTest, TheSurfacesFocusIsThePagesAndTheClientMayRefuseIt) {
  Create(DataUrl(kFields));
  ASSERT_TRUE(WaitForMainLoadEnd());
  browser->GetHost()->SetFocus(true);
  ASSERT_TRUE(recorder.WaitForKind("OnGotFocus"));
  EXPECT_EQ(recorder.Of("OnSetFocus")[0].data["source"], FOCUS_SOURCE_SYSTEM);
  browser->GetHost()->SetFocus(false);
  client->refuseFocus = true;
  // The page's own focus reports ask too: count from here.
  const size_t asked = recorder.Count("OnSetFocus");
  browser->GetHost()->SetFocus(true);
  ASSERT_TRUE(recorder.WaitForKind("OnSetFocus", asked + 1));
  EXPECT_EQ(recorder.Count("OnGotFocus"), 1u) << "the refused focus was given";
  browser->GetHost()->SetFocus(false);
  client->refuseFocus = false;
  browser->GetHost()->SetFocus(true);
  ASSERT_TRUE(recorder.WaitForKind("OnGotFocus", 2));
}

TEST_F(FocusHandlerTest, APageThatKeepsTabToItselfIsLeftAlone) {
  Create(DataUrl(std::string(kFields) +
                 "<script>addEventListener('keydown', (e) => { if (e.key === 'Tab') e.preventDefault(); });</script>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("document.getElementById('two').focus()");
  ASSERT_TRUE(WaitForConsole("focus:two"));
  Tab(false);
  Run("console.log('still:' + document.activeElement.id)");
  ASSERT_TRUE(WaitForConsole("still:two"));
  EXPECT_EQ(recorder.Count("OnTakeFocus"), 0u);
}

class ContextMenuTest : public DisplayHandlerTest {
 protected:
  void RightClick(int x, int y) {
    CefMouseEvent at;
    at.x = x, at.y = y;
    browser->GetHost()->SendMouseClickEvent(at, MBT_RIGHT, false, 1);
    browser->GetHost()->SendMouseClickEvent(at, MBT_RIGHT, true, 1);
  }
  static QMenu* ShownMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
  static QStringList Labels(QMenu* menu) {
    QStringList labels;
    for (QAction* action : menu->actions()) labels << (action->isSeparator() ? "-" : action->text());
    return labels;
  }
};

TEST_F(ContextMenuTest, TheDefaultMenuRunsTheChosenEditingCommand) {
  client->clearMenus = false;
  Create(DataUrl("<input id=field value='all of it' style='width:300px;height:40px'>"
                 "<script>field.onselect = () => console.log('selected:' + field.selectionStart + '-' + "
                 "field.selectionEnd);</script>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("field.focus()");
  RightClick(20, 20);
  ASSERT_TRUE(WaitUntil([] { return ShownMenu() != nullptr; })) << "no menu was shown";
  QMenu* menu = ShownMenu();
  EXPECT_EQ(Labels(menu).join(","), "&Undo,&Redo,-,Cu&t,&Copy,&Paste,&Delete,-,Select &all");
  const QPoint click = Surface()->mapToGlobal(QPoint(20, 20));
  EXPECT_EQ(menu->pos(), click) << "the menu is not at the click";
  menu->actions().last()->trigger();
  menu->close();
  ASSERT_TRUE(WaitForLast("OnContextMenuCommand", "command", MENU_ID_SELECT_ALL));
  ASSERT_TRUE(recorder.WaitForKind("OnContextMenuDismissed"));
  EXPECT_TRUE(WaitForConsole("selected:0-9"));
}

TEST_F(ContextMenuTest, AMenuTheClientShowsIsAnsweredThroughItsCallback) {
  client->clearMenus = false;
  client->runMenu = [](CefRefPtr<CefRunContextMenuCallback> callback) {
    callback->Continue(MENU_ID_RELOAD, EVENTFLAG_NONE);
    callback->Continue(MENU_ID_RELOAD, EVENTFLAG_NONE);  // a second answer is ignored
    return true;
  };
  Create(DataUrl("<p style='height:200px'>page</p>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  RightClick(20, 150);
  ASSERT_TRUE(WaitForLast("OnContextMenuCommand", "command", MENU_ID_RELOAD));
  ASSERT_TRUE(recorder.WaitForKind("OnContextMenuDismissed"));
  EXPECT_TRUE(WaitForMainLoadEnd(2)) << "the page was not reloaded";
  EXPECT_EQ(ShownMenu(), nullptr);
  EXPECT_EQ(recorder.Count("OnContextMenuCommand"), 1u);
}

TEST_F(ContextMenuTest, AnEmptyModelOrAPageThatCancelsShowsNothing) {
  Create(DataUrl("<p style='height:100px'>page</p>"
                 "<div id=own style='height:100px' oncontextmenu='event.preventDefault()'>own menu</div>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  RightClick(20, 50);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeContextMenu"));
  client->clearMenus = false;
  RightClick(20, 150);
  Run("console.log('after the own menu')");
  ASSERT_TRUE(WaitForConsole("after the own menu"));
  EXPECT_EQ(recorder.Count("OnBeforeContextMenu"), 1u);
  EXPECT_EQ(recorder.Count("RunContextMenu"), 0u);
  EXPECT_EQ(ShownMenu(), nullptr);
}

}  // namespace
