// What a person touches in a windowless page that headless Chromium keeps to
// itself: a `<select>`'s list, shown by the runtime as a Qt list and used with
// the mouse and keys, the clipboard, which is the desktop's (Qt's), and the
// desktop's input method.
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QColorDialog>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimeEdit>
#include <QWindow>

#include "LogCapture.h"
#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"
#include "WaitUntil.h"
#include "include/cef_browser.h"
#include "view/select_list.h"
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
    surface = FindSurface();
    ASSERT_NE(surface, nullptr);
    surface->setGeometry(100, 100, 400, 300);
    surface->show();
  }
  cefcompat::SurfaceWindow* FindSurface() {
    return static_cast<cefcompat::SurfaceWindow*>(cefcompat::SurfaceForHandle(browser->GetHost()->GetWindowHandle()));
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
  template <typename Shown = cefcompat::SelectList>
  static Shown* ShownList() {
    Shown* shown = nullptr;
    WaitUntil([&] { return (shown = qobject_cast<Shown*>(QApplication::activePopupWidget())) != nullptr; });
    return shown;
  }
  // The rows of a list; a group's label in brackets.
  static QStringList Labels(cefcompat::SelectList* list) {
    QStringList labels;
    const QAbstractItemModel* rows = list->Rows()->model();
    for (int row = 0; row < rows->rowCount(); ++row) {
      const QModelIndex index = rows->index(row, 0);
      const QString text = index.data().toString();
      labels << (index.data(Qt::UserRole).isValid() ? text : "[" + text + "]");
    }
    return labels;
  }
  // Picks a row as a person does: the pointer over it, then a click.
  static void ClickRow(cefcompat::SelectList* list, int row) {
    QListView* rows = list->Rows();
    const QPoint at = rows->visualRect(rows->model()->index(row, 0)).center();
    QTest::mouseMove(rows->viewport(), at);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }
  static void Press(QWidget* list, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(list, &press);
  }

  cefcompat::SurfaceWindow* surface = nullptr;
};

TEST_F(SelectPopupTest, AClickShowsTheOptionsUnderTheSelectAndAChoiceReachesThePage) {
  Click(60, 55);
  cefcompat::SelectList* list = ShownList();
  ASSERT_NE(list, nullptr) << "no list shown";
  EXPECT_EQ(Labels(list), QStringList({"alpha", "beta", "[later]", "delta", "gamma"}));
  EXPECT_FALSE(list->Rows()->model()->index(3, 0).flags() & Qt::ItemIsEnabled);
  EXPECT_EQ(list->Rows()->currentIndex().row(), 0);
  const QPoint under = surface->mapToGlobal(QPoint(20, 71));
  EXPECT_LE(std::abs(list->pos().x() - under.x()), 2) << list->pos().x();
  EXPECT_LE(std::abs(list->pos().y() - under.y()), 2) << list->pos().y();
  EXPECT_GE(list->width(), 200);
  ClickRow(list, 1);
  EXPECT_TRUE(WaitForConsole("input:beta"));
  EXPECT_TRUE(WaitForConsole("change:beta:true"));
}

// Alt+Down opens the list of the focused select; typing goes to an option
// (over the disabled one), Enter picks it; Escape closes without a change.
TEST_F(SelectPopupTest, KeysOpenTheListAndPickOrLeaveIt) {
  browser->GetMainFrame()->ExecuteJavaScript("s.focus(); console.log('focused')", "", 0);
  ASSERT_TRUE(WaitForConsole("focused"));
  Key(0x28, EVENTFLAG_ALT_DOWN);
  cefcompat::SelectList* list = ShownList();
  ASSERT_NE(list, nullptr) << "Alt+Down showed no list";
  Press(list->Rows(), Qt::Key_G, "g");
  EXPECT_EQ(list->Rows()->currentIndex().data().toString(), "gamma");
  Press(list->Rows(), Qt::Key_Return);
  EXPECT_TRUE(WaitForConsole("change:gamma:true"));

  Key(0x73);  // F4
  list = ShownList();
  ASSERT_NE(list, nullptr) << "F4 showed no list";
  Press(list->Rows(), Qt::Key_Up);
  EXPECT_EQ(list->Rows()->currentIndex().row(), 1) << "Up stopped on a disabled option or the group";
  Press(list->Rows(), Qt::Key_Escape);
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
  cefcompat::SelectList* list = ShownList();
  ASSERT_NE(list, nullptr) << "no list shown";
  const QPoint under = surface->mapToGlobal(QPoint(50 + 5 + 30, 100 + 5 + 10 + 30 + 1));
  EXPECT_LE((list->pos() - under).manhattanLength(), 3) << list->pos().x() << "," << list->pos().y();
  ClickRow(list, 1);
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

// Opened and closed again and again, a select's list leaves nothing behind;
// one of 100,000 options opens its whole list, and the last can be chosen.
TEST_F(SelectPopupTest, ASelectOpenedAgainAndAgainAndAHugeOneStayUsable) {
  for (int round = 0; round < 200; ++round) {
    Click(60, 55);
    cefcompat::SelectList* list = ShownList();
    ASSERT_NE(list, nullptr) << "no list in round " << round;
    Press(list->Rows(), Qt::Key_Escape);
    ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() == nullptr; })) << "round " << round;
  }
  EXPECT_TRUE(WaitUntil([] { return QApplication::instance()->findChildren<cefcompat::SelectList*>().isEmpty(); }));
  browser->GetMainFrame()->ExecuteJavaScript(
      "s.replaceChildren(...Array.from({length: 100000}, (_, i) => new Option('item ' + i)));"
      "console.log('filled')", "", 0);
  ASSERT_TRUE(WaitForConsole("filled"));
  Click(60, 55);
  cefcompat::SelectList* list = ShownList();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Rows()->model()->rowCount(), 100000);
  Press(list->Rows(), Qt::Key_End);
  Press(list->Rows(), Qt::Key_Return);
  EXPECT_TRUE(WaitForConsole("change:item 99999:true"));
}

// Fields whose popups are Chromium's own windows: a date, a time, a color
// and a datalist, each 200x30 at x 20; the page logs their events.
const char kFieldsPage[] =
    "<body style='margin:0'><style>input{position:absolute;left:20px;width:200px;height:30px;"
    "box-sizing:border-box}</style>"
    "<input id=d type=date value=2024-05-31 min=2024-01-01 style='top:20px'>"
    "<input id=t type=time value=09:30 style='top:70px'>"
    "<input id=c type=color value='#102030' style='top:120px'>"
    "<input id=l list=fruit style='top:170px'><datalist id=fruit><option value=apple>"
    "<option value=apricot label='small and orange'><option value=banana></datalist><script>"
    "for (const f of [d, t, c, l]) {"
    "  f.oninput = (e) => console.log(f.id + ' input:' + f.value + ':' + (e.inputType || ''));"
    "  f.onchange = () => console.log(f.id + ' change:' + f.value + ':' + (document.activeElement === f));"
    "}</script></body>";

class FieldPopupTest : public SelectPopupTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    Create(DataUrl(kFieldsPage));
    ASSERT_TRUE(WaitForMainLoadEnd());
    surface = FindSurface();
    ASSERT_NE(surface, nullptr);
    surface->setGeometry(100, 100, 400, 300);
    surface->show();
  }
  // A click on the picker's button at a field's right end, once the page
  // has the focus and is shown again (Chromium opens no picker in a page
  // without focus, nor in one still parked from before its surface showed).
  void ClickPickerButton(int y) {
    browser->GetMainFrame()->ExecuteJavaScript(
        "(function focused() { document.hasFocus() && document.visibilityState === 'visible'"
        " ? console.log('page focused') : setTimeout(focused, 10); })()", "", 0);
    ASSERT_TRUE(WaitForConsole("page focused"));
    Click(208, y);
  }
};

// The calendar opens on the field's date, within its bounds; a day chosen
// with the keys reaches the page as a person's choice, and Escape leaves the
// field as it was.
TEST_F(FieldPopupTest, ADatesPickerIsACalendarUnderTheField) {
  ClickPickerButton(35);
  QWidget* picker = ShownList<QWidget>();
  ASSERT_NE(picker, nullptr) << "no picker shown";
  auto* calendar = picker->findChild<QCalendarWidget*>();
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(calendar->selectedDate(), QDate(2024, 5, 31));
  EXPECT_EQ(calendar->minimumDate(), QDate(2024, 1, 1));
  const QPoint under = surface->mapToGlobal(QPoint(20, 51));
  EXPECT_LE((picker->pos() - under).manhattanLength(), 3) << picker->pos().x() << "," << picker->pos().y();
  QWidget* days = calendar->focusProxy();
  ASSERT_NE(days, nullptr);
  Press(days, Qt::Key_Left);
  Press(days, Qt::Key_Return);
  EXPECT_TRUE(WaitForConsole("d input:2024-05-30:"));
  EXPECT_TRUE(WaitForConsole("d change:2024-05-30:true"));

  ClickPickerButton(35);
  picker = ShownList<QWidget>();
  ASSERT_NE(picker, nullptr) << "no picker the second time";
  Press(picker->findChild<QCalendarWidget*>()->focusProxy(), Qt::Key_Escape);
  ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
  browser->GetMainFrame()->ExecuteJavaScript("console.log('still:' + d.value + ':' + d.matches(':open'))", "", 0);
  EXPECT_TRUE(WaitForConsole("still:2024-05-30:false"));
}

TEST_F(FieldPopupTest, ATimesPickerSetsTheTimeChosen) {
  ClickPickerButton(85);
  QWidget* picker = ShownList<QWidget>();
  ASSERT_NE(picker, nullptr) << "no picker shown";
  auto* time = picker->findChild<QTimeEdit*>();
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->time(), QTime(9, 30));
  time->setTime(QTime(17, 5));
  Press(picker, Qt::Key_Return);
  EXPECT_TRUE(WaitForConsole("t change:17:05:true"));
}

TEST_F(FieldPopupTest, AColorFieldOpensTheColorDialog) {
  ClickPickerButton(135);
  QColorDialog* dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->isVisible() && (dialog = qobject_cast<QColorDialog*>(widget))) return true;
    }
    return false;
  })) << "no color dialog";
  EXPECT_EQ(dialog->currentColor(), QColor("#102030"));
  dialog->setCurrentColor(QColor("#ff8000"));
  dialog->accept();
  EXPECT_TRUE(WaitForConsole("c change:#ff8000:true"));
}

// A click in the focused field, or Down, lists the options that contain
// what is typed; the choice replaces the text.
TEST_F(FieldPopupTest, ADatalistSuggestsItsOptionsForWhatIsTyped) {
  browser->GetMainFrame()->ExecuteJavaScript("l.focus(); l.value = 'ap'; console.log('typed')", "", 0);
  ASSERT_TRUE(WaitForConsole("typed"));
  Click(60, 185);
  cefcompat::SelectList* list = ShownList();
  ASSERT_NE(list, nullptr) << "no suggestions shown";
  EXPECT_EQ(Labels(list), QStringList({"apple", "apricot  small and orange"}));
  EXPECT_FALSE(list->Rows()->currentIndex().isValid());
  ClickRow(list, 1);
  EXPECT_TRUE(WaitForConsole("l input:apricot:insertReplacementText"));
  EXPECT_TRUE(WaitForConsole("l change:apricot:true"));

  Key(0x28);  // Down
  list = ShownList();
  ASSERT_NE(list, nullptr) << "Down showed no suggestions";
  Press(list->Rows(), Qt::Key_Escape);
  ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
}

// A field, an editable area and a paragraph with bold text; the page logs
// what reaches it.
const char kClipboardPage[] =
    "<body style='margin:0'><input id=i value='launcher text'><div id=e contenteditable>edit</div>"
    "<p id=p>plain <b>bold</b> words</p><script>"
    "i.oninput = () => console.log('input:' + i.value);"
    "addEventListener('paste', (e) => console.log('paste event:' + e.clipboardData.getData('text/plain')));"
    "</script></body>";

class ClipboardTest : public SelectPopupTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    Create(DataUrl(kClipboardPage));
    ASSERT_TRUE(WaitForMainLoadEnd());
    QGuiApplication::clipboard()->clear();
  }
  // Runs `script` and waits until it has run.
  void RunNow(const std::string& script) {
    static int step = 0;
    const std::string done = "ran " + std::to_string(++step);
    browser->GetMainFrame()->ExecuteJavaScript(script + "; console.log('" + done + "')", "", 0);
    ASSERT_TRUE(WaitForConsole(done));
  }
  void Type(char16_t character) {
    CefKeyEvent key;
    key.windows_key_code = character >= 'a' && character <= 'z' ? character - 32 : character;
    key.character = key.unmodified_character = character;
    key.type = KEYEVENT_CHAR;
    browser->GetHost()->SendKeyEvent(key);
  }
  static std::string Desktop() { return QGuiApplication::clipboard()->text().toStdString(); }
};

// Ctrl+C and Ctrl+X put the page's selection on the desktop's clipboard:
// a field's selected text, the HTML of a selection in the page, and what a
// page's own copy handler set instead.
TEST_F(ClipboardTest, CopyAndCutReachTheDesktopsClipboard) {
  RunNow("i.focus(); i.setSelectionRange(0, 8)");
  Key(0x43, EVENTFLAG_CONTROL_DOWN);
  ASSERT_TRUE(WaitUntil([] { return Desktop() == "launcher"; })) << Desktop();

  Key(0x58, EVENTFLAG_CONTROL_DOWN);
  ASSERT_TRUE(WaitForConsole("input: text"));

  RunNow("i.blur(); getSelection().selectAllChildren(p)");
  Key(0x43, EVENTFLAG_CONTROL_DOWN);
  ASSERT_TRUE(WaitUntil([] { return Desktop() == "plain bold words"; })) << Desktop();
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  EXPECT_TRUE(data->hasHtml() && data->html().contains("<b>bold</b>")) << data->html().toStdString();

  RunNow("addEventListener('copy', (e) => { e.clipboardData.setData('text/plain', 'the page said so'); e.preventDefault(); })");
  Key(0x43, EVENTFLAG_CONTROL_DOWN);
  EXPECT_TRUE(WaitUntil([] { return Desktop() == "the page said so"; })) << Desktop();
}

// Ctrl+V and Shift+Insert give the page the desktop's text: a paste event
// carrying it, then the text in the field, before the keys typed after it.
TEST_F(ClipboardTest, PasteGivesThePageTheDesktopsClipboard) {
  QGuiApplication::clipboard()->setText("from the desktop");
  RunNow("i.value = ''; i.focus()");
  Key(0x56, EVENTFLAG_CONTROL_DOWN);
  Type(u'x');
  ASSERT_TRUE(WaitForConsole("paste event:from the desktop"));
  EXPECT_TRUE(WaitForConsole("input:from the desktopx"));

  RunNow("addEventListener('paste', (e) => e.preventDefault(), {once: true})");
  Key(0x2D, EVENTFLAG_SHIFT_DOWN);
  ASSERT_TRUE(recorder.WaitFor([&] {
    size_t events = 0;
    for (const auto& message : recorder.Of("OnConsoleMessage")) {
      events += message.data.value("message", "") == "paste event:from the desktop";
    }
    return events == 2;
  }));
  RunNow("console.log('value:' + i.value)");
  EXPECT_TRUE(WaitForConsole("value:from the desktopx")) << "a paste the page cancelled was typed";
}

// The default context menu's Paste takes the desktop's clipboard too.
TEST_F(ClipboardTest, TheContextMenusPasteTakesTheDesktopsClipboard) {
  client->clearMenus = false;
  QGuiApplication::clipboard()->setText("menu text");
  RunNow("i.value = ''; i.focus()");
  CefMouseEvent at;
  at.x = 20, at.y = 10;
  browser->GetHost()->SendMouseClickEvent(at, MBT_RIGHT, false, 1);
  browser->GetHost()->SendMouseClickEvent(at, MBT_RIGHT, true, 1);
  QMenu* menu = ShownList<QMenu>();
  ASSERT_NE(menu, nullptr) << "no menu shown";
  QAction* paste = nullptr;
  for (QAction* action : menu->actions()) {
    if (action->text().remove('&') == "Paste") paste = action;
  }
  ASSERT_NE(paste, nullptr);
  paste->trigger();
  menu->hide();
  EXPECT_TRUE(WaitForConsole("input:menu text"));
}

// A clipboard over the limit, or holding no text, pastes nothing and says why.
TEST_F(ClipboardTest, AHugeOrTextlessClipboardPastesNothingAndSaysWhy) {
  LogCapture log;
  RunNow("i.value = ''; i.focus()");
  QGuiApplication::clipboard()->setText(QString(20 * 1024 * 1024, 'x'));
  Key(0x56, EVENTFLAG_CONTROL_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return !log.Matching("clipboard: a paste of 20971520 bytes is refused").empty(); }));
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::red);
  QGuiApplication::clipboard()->setImage(image);
  Key(0x56, EVENTFLAG_CONTROL_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return !log.Matching("clipboard: nothing to paste").empty(); }));
  RunNow("console.log('left:' + i.value.length)");
  EXPECT_TRUE(WaitForConsole("left:0"));
}

// The page's own navigator.clipboard, on a secure (loopback) page, follows
// the browser's rules: a write from a person's click reaches the desktop's
// clipboard, a write without a gesture is refused, and a read is refused (no
// one is asked for the permission, as in CEF 89), none of them left pending.
const char kClipboardApiPage[] =
    "<body style='margin:0'><button id=w style='width:200px;height:50px'>copy</button>"
    "<button id=r style='width:200px;height:50px'>paste</button><script>"
    "const settle = (what, promise) => promise.then(() => console.log(what + ' done'),"
    "  (e) => console.log(what + ' refused:' + e.name));"
    "w.onclick = () => settle('write', navigator.clipboard.writeText('written by the page'));"
    "r.onclick = () => settle('read', navigator.clipboard.readText());"
    "</script></body>";

TEST_F(ClipboardTest, ThePagesClipboardApiWritesOnAGestureAndNeverReads) {
  TestHttpServer server;
  server.Route("/clipboard", {200, "text/html; charset=utf-8", kClipboardApiPage});
  browser->GetMainFrame()->LoadURL(server.Url("/clipboard"));
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  cefcompat::SurfaceWindow* shown = FindSurface();
  shown->setGeometry(100, 100, 400, 300);
  shown->show();

  RunNow("settle('scripted write', navigator.clipboard.writeText('no gesture'))");
  EXPECT_TRUE(WaitForConsole("scripted write refused:NotAllowedError"));
  Click(50, 25);
  EXPECT_TRUE(WaitForConsole("write done"));
  EXPECT_TRUE(WaitUntil([] { return Desktop() == "written by the page"; })) << Desktop();
  Click(250, 25);
  EXPECT_TRUE(WaitForConsole("read refused:NotAllowedError"));
}

// A field whose composition events the page logs.
const char kImePage[] =
    "<body style='margin:0'><input id=i style='position:absolute;left:10px;top:10px;width:300px;height:30px'>"
    "<div style='position:absolute;top:100px;height:100px;width:100px'>elsewhere</div><script>"
    "for (const kind of ['compositionstart', 'compositionupdate', 'compositionend'])"
    "  i.addEventListener(kind, (e) => console.log(kind + ':' + e.data));"
    "i.oninput = () => console.log('value:' + i.value);"
    "i.focus();</script></body>";

class InputMethodTest : public ClipboardTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    Create(DataUrl(kImePage));
    ASSERT_TRUE(WaitForMainLoadEnd());
    surface = FindSurface();
    ASSERT_NE(surface, nullptr);
  }
  void Compose(const QString& preedit, const QString& commit = QString()) {
    QList<QInputMethodEvent::Attribute> attributes;
    attributes << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, preedit.size(), 1, QVariant());
    QInputMethodEvent event(preedit, attributes);
    if (!commit.isEmpty()) event.setCommitString(commit);
    QCoreApplication::sendEvent(surface, &event);
  }
  QVariant Query(Qt::InputMethodQuery query) {
    QInputMethodQueryEvent event(query);
    QCoreApplication::sendEvent(surface, &event);
    return event.value(query);
  }
};

// Preedit text is the page's composition; committed text (Chinese, emoji)
// ends it and is typed.
TEST_F(InputMethodTest, PreeditAndCommitReachTheFocusedField) {
  EXPECT_TRUE(Query(Qt::ImEnabled).toBool());
  Compose("ni");
  ASSERT_TRUE(WaitForConsole("compositionstart:"));
  ASSERT_TRUE(WaitForConsole("compositionupdate:ni"));
  Compose("", QString::fromUtf8("你"));
  ASSERT_TRUE(WaitForConsole("compositionend:" + std::string("你")));
  EXPECT_TRUE(WaitForConsole("value:你"));
  Compose("", QString::fromUtf8("😀"));
  EXPECT_TRUE(WaitForConsole("value:你😀"));
}

// The input method's candidate window goes at the caret, which moves on as
// text is typed.
TEST_F(InputMethodTest, TheCaretRectangleFollowsTheTypedText) {
  Compose("", "a");
  ASSERT_TRUE(WaitForConsole("value:a"));
  int first = 0;
  ASSERT_TRUE(WaitUntil([&] { return (first = Query(Qt::ImCursorRectangle).toRect().x()) > 10; }));
  Compose("", "wider text");
  ASSERT_TRUE(WaitForConsole("value:awider text"));
  EXPECT_TRUE(WaitUntil([&] { return Query(Qt::ImCursorRectangle).toRect().x() > first + 20; }))
      << Query(Qt::ImCursorRectangle).toRect().x() << " after " << first;
  const QRect caret = Query(Qt::ImCursorRectangle).toRect();
  EXPECT_GE(caret.y(), 10);
  EXPECT_LE(caret.bottom(), 41);
}

// A click elsewhere ends the composition with its text as it stands; a
// composition of 10,000 characters arrives whole, and the log says it was
// held back until it ended.
TEST_F(InputMethodTest, AClickEndsTheCompositionAndLongOnesArriveWhole) {
  LogCapture log;
  Compose("ka");
  ASSERT_TRUE(WaitForConsole("compositionupdate:ka"));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(50, 150), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(surface, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 150), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(surface, &release);
  ASSERT_TRUE(WaitForConsole("compositionend:ka"));
  RunNow("i.focus(); console.log('kept:' + i.value)");
  EXPECT_TRUE(WaitForConsole("kept:ka"));

  const QString longText(10000, QChar(0x3042));
  Compose(longText);
  Compose("", longText);
  // The page logs each input with the field's value.
  EXPECT_TRUE(WaitForConsole("value:ka" + longText.toStdString()));
  EXPECT_EQ(log.Matching("input method: a composition of 10000 characters is not shown until it ends").size(), 1u);
}

}  // namespace
