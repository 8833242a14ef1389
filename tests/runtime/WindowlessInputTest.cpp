// What a person touches in a windowless page that Chromium's screencast never
// shows: a `<select>`'s list, shown by the runtime as a Qt list and used with
// the mouse and keys, the choice reaching the page as a person's does.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWindow>

#include "RuntimeEnvironment.h"
#include "WaitUntil.h"
#include "include/cef_browser.h"
#include "view/surface_window.h"

namespace {

// A select at (20, 40), 200x30 CSS pixels, with a group and a disabled option.
const char kSelectPage[] =
    "<body style='margin:0'><select id=s style='position:absolute;left:20px;top:40px;width:200px;height:30px'>"
    "<option>alpha<option>beta<optgroup label='later'><option disabled>delta<option>gamma</optgroup></select>"
    "<script>s.oninput = () => console.log('input:' + s.value);"
    "s.onchange = () => console.log('change:' + s.value + ':' + (document.activeElement === s));</script></body>";

class SelectPopupTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    Create(DataUrl(kSelectPage));
    ASSERT_TRUE(WaitForMainLoadEnd());
    surface = static_cast<cefcompat::SurfaceWindow*>(
        cefcompat::SurfaceForHandle(browser->GetHost()->GetWindowHandle()));
    ASSERT_NE(surface, nullptr);
    surface->setGeometry(100, 100, 400, 300);
    surface->show();
  }
  void Click(int x, int y) {
    CefMouseEvent at;
    at.x = x, at.y = y;
    browser->GetHost()->SendMouseMoveEvent(at, false);
    browser->GetHost()->SendMouseClickEvent(at, MBT_LEFT, false, 1);
    browser->GetHost()->SendMouseClickEvent(at, MBT_LEFT, true, 1);
  }
  void Key(int windowsCode, int modifiers = EVENTFLAG_NONE) {
    CefKeyEvent key;
    key.windows_key_code = windowsCode;
    key.modifiers = static_cast<uint32_t>(modifiers);
    key.type = KEYEVENT_RAWKEYDOWN;
    browser->GetHost()->SendKeyEvent(key);
    key.type = KEYEVENT_KEYUP;
    browser->GetHost()->SendKeyEvent(key);
  }
  static QMenu* ShownList() {
    QMenu* menu = nullptr;
    WaitUntil([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; });
    return menu;
  }
  static void Press(QWidget* list, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(list, &press);
  }

  cefcompat::SurfaceWindow* surface = nullptr;
};

TEST_F(SelectPopupTest, AClickShowsTheOptionsUnderTheSelectAndAChoiceReachesThePage) {
  Click(60, 55);
  QMenu* list = ShownList();
  ASSERT_NE(list, nullptr) << "no list shown";
  QStringList labels;
  for (QAction* action : list->actions()) labels << (action->isSeparator() ? "[" + action->text() + "]" : action->text());
  EXPECT_EQ(labels, QStringList({"alpha", "beta", "[later]", "delta", "gamma"}));
  EXPECT_FALSE(list->actions()[3]->isEnabled());
  EXPECT_TRUE(list->actions()[0]->isChecked());
  EXPECT_EQ(list->activeAction(), list->actions()[0]);
  const QPoint under = surface->mapToGlobal(QPoint(20, 71));
  EXPECT_LE(std::abs(list->pos().x() - under.x()), 2) << list->pos().x();
  EXPECT_LE(std::abs(list->pos().y() - under.y()), 2) << list->pos().y();
  EXPECT_GE(list->width(), 200);
  list->actions()[1]->trigger();
  list->hide();
  EXPECT_TRUE(WaitForConsole("input:beta"));
  EXPECT_TRUE(WaitForConsole("change:beta:true"));
}

// Alt+Down opens the list of the focused select; typing goes to an option
// (over the disabled one), Enter picks it; Escape closes without a change.
TEST_F(SelectPopupTest, KeysOpenTheListAndPickOrLeaveIt) {
  browser->GetMainFrame()->ExecuteJavaScript("s.focus(); console.log('focused')", "", 0);
  ASSERT_TRUE(WaitForConsole("focused"));
  Key(0x28, EVENTFLAG_ALT_DOWN);
  QMenu* list = ShownList();
  ASSERT_NE(list, nullptr) << "Alt+Down showed no list";
  Press(list, Qt::Key_G, "g");
  EXPECT_EQ(list->activeAction() ? list->activeAction()->text() : "", "gamma");
  Press(list, Qt::Key_Return);
  EXPECT_TRUE(WaitForConsole("change:gamma:true"));

  Key(0x73);  // F4
  list = ShownList();
  ASSERT_NE(list, nullptr) << "F4 showed no list";
  Press(list, Qt::Key_Up);
  Press(list, Qt::Key_Escape);
  ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
  browser->GetMainFrame()->ExecuteJavaScript("console.log('still:' + s.value)", "", 0);
  EXPECT_TRUE(WaitForConsole("still:gamma"));
}

// A select in a frame: the list is under it in the page, and the choice
// reaches the frame's select.
TEST_F(SelectPopupTest, ASelectInAFrameShowsItsListUnderIt) {
  browser->GetMainFrame()->ExecuteJavaScript(
      "const f = document.createElement('iframe');"
      "f.style = 'position:absolute;left:50px;top:100px;width:300px;height:150px;border:5px solid gray';"
      "f.srcdoc = \"<body style='margin:0'><select id=t style='margin:10px 30px;height:30px'><option>one<option>two</select>"
      "<script>t.onchange = () => console.log('frame change:' + t.value)</script>\";"
      "f.onload = () => console.log('frame ready'); document.body.append(f);",
      "", 0);
  ASSERT_TRUE(WaitForConsole("frame ready"));
  Click(100, 130);
  QMenu* list = ShownList();
  ASSERT_NE(list, nullptr) << "no list shown";
  const QPoint under = surface->mapToGlobal(QPoint(50 + 5 + 30, 100 + 5 + 10 + 30 + 1));
  EXPECT_LE((list->pos() - under).manhattanLength(), 3) << list->pos().x() << "," << list->pos().y();
  list->actions()[1]->trigger();
  list->hide();
  EXPECT_TRUE(WaitForConsole("frame change:two"));
}

// Closing the browser with its list open closes the list, unanswered.
TEST_F(SelectPopupTest, ClosingTheBrowserClosesItsList) {
  Click(60, 55);
  ASSERT_NE(ShownList(), nullptr);
  browser->GetHost()->CloseBrowser(true);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  EXPECT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
}

}  // namespace
