#include "X11Desktop.h"

#include <memory>

#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include "WaitUntil.h"

X11Desktop::X11Desktop() : m_pDisplay(XOpenDisplay(nullptr)) {}

X11Desktop::~X11Desktop() {
  if (m_pDisplay) XCloseDisplay(m_pDisplay);
}

bool X11Desktop::HasWindowManager() const {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const Atom check = XInternAtom(m_pDisplay, "_NET_SUPPORTING_WM_CHECK", False);
  XGetWindowProperty(m_pDisplay, DefaultRootWindow(m_pDisplay), check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                     &after, &data);
  const bool present = data && count == 1;
  if (data) XFree(data);
  return present;
}

void X11Desktop::SetHiddenState(unsigned long window, bool hidden) const {
  Atom state = XInternAtom(m_pDisplay, "_NET_WM_STATE_HIDDEN", False);
  XChangeProperty(m_pDisplay, window, XInternAtom(m_pDisplay, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&state), hidden ? 1 : 0);
  XSync(m_pDisplay, False);
}

void X11Desktop::MoveTo(const QPoint& global) const {
  XTestFakeMotionEvent(m_pDisplay, -1, global.x(), global.y(), CurrentTime);
  XSync(m_pDisplay, False);
}

void X11Desktop::Click(const QPoint& global, int button) const {
  MoveTo(global);
  XTestFakeButtonEvent(m_pDisplay, static_cast<unsigned int>(button), True, CurrentTime);
  XTestFakeButtonEvent(m_pDisplay, static_cast<unsigned int>(button), False, CurrentTime);
  XSync(m_pDisplay, False);
}

void X11Desktop::Button(int button, bool down) const {
  XTestFakeButtonEvent(m_pDisplay, static_cast<unsigned int>(button), down ? True : False, CurrentTime);
  XSync(m_pDisplay, False);
}

void X11Desktop::Press(unsigned int keycode, bool down) const {
  XTestFakeKeyEvent(m_pDisplay, keycode, down ? True : False, CurrentTime);
}

std::vector<unsigned int> X11Desktop::Keycodes(const std::vector<std::string>& keys) const {
  std::vector<unsigned int> codes;
  for (const std::string& name : keys) {
    const KeySym sym = XStringToKeysym(name == "ctrl" ? "Control_L" : name == "shift" ? "Shift_L" : name.c_str());
    codes.push_back(XKeysymToKeycode(m_pDisplay, sym));
  }
  return codes;
}

void X11Desktop::Hold(const std::vector<std::string>& keys, bool down) const {
  for (unsigned int code : Keycodes(keys)) Press(code, down);
  XSync(m_pDisplay, False);
}

void X11Desktop::Key(const std::string& keysym, const std::vector<std::string>& held) const {
  const std::vector<unsigned int> modifiers = Keycodes(held);
  for (unsigned int code : modifiers) Press(code, true);
  const unsigned int code = XKeysymToKeycode(m_pDisplay, XStringToKeysym(keysym.c_str()));
  Press(code, true);
  Press(code, false);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) Press(*it, false);
  XSync(m_pDisplay, False);
}

void X11Desktop::Type(const std::string& text) const {
  for (char c : text) {
    if (c == ' ') {
      Key("space");
    } else if (c >= 'A' && c <= 'Z') {
      Key(std::string(1, static_cast<char>(c - 'A' + 'a')), {"shift"});
    } else {
      Key(std::string(1, c));
    }
  }
}

void X11Desktop::DragFileOnto(const QPoint& target, const QString& path) const {
  QWidget source;
  source.setGeometry(900, 100, 100, 100);
  source.show();
  ASSERT_TRUE(WaitUntil([&] { return source.windowHandle() && source.windowHandle()->isExposed(); }));
  const QPoint from = source.mapToGlobal(QPoint(50, 50));
  MoveTo(from);
  Button(1, true);
  ASSERT_TRUE(WaitUntil([] { return QGuiApplication::mouseButtons() & Qt::LeftButton; })) << "Qt saw no press";
  auto* mime = new QMimeData();
  mime->setUrls({QUrl::fromLocalFile(path)});
  auto* drag = new QDrag(&source);
  drag->setMimeData(mime);
  // The pointer travels while the drag runs its own loop, then lets go.
  auto step = std::make_shared<int>(0);
  auto* timer = new QTimer(&source);
  QObject::connect(timer, &QTimer::timeout, [this, from, target, step, timer] {
    constexpr int kSteps = 12;
    const int at = ++*step;
    if (at > kSteps) {
      Button(1, false);
      timer->stop();
      return;
    }
    MoveTo(from + (target - from) * at / kSteps);
  });
  timer->start(50);
  drag->exec(Qt::CopyAction);
}

unsigned long X11Desktop::FocusWindow() const {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(m_pDisplay, &focus, &revert);
  return focus;
}

int X11Desktop::ViewablePopups() const {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(m_pDisplay, DefaultRootWindow(m_pDisplay), &root, &parent, &children, &count)) return 0;
  int popups = 0;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(m_pDisplay, children[i], &attributes) && attributes.override_redirect &&
        attributes.map_state == IsViewable && attributes.width > 1 && attributes.height > 1) {
      ++popups;
    }
  }
  if (children) XFree(children);
  return popups;
}

X11Desktop::Cursor X11Desktop::ShownCursor() const {
  Cursor cursor;
  XFixesCursorImage* image = XFixesGetCursorImage(m_pDisplay);
  if (!image) return cursor;
  if (image->name) cursor.name = image->name;
  cursor.pixels.assign(image->pixels, image->pixels + image->width * image->height);
  XFree(image);
  return cursor;
}

void WindowManagerEnvironment::SetUp() {
  m_process.start("openbox", {"--sm-disable"});
  ASSERT_TRUE(m_process.waitForStarted()) << "openbox is missing: scripts/setup.sh installs it";
  ASSERT_TRUE(WaitUntil([] { return X11Desktop().HasWindowManager(); }));
}

void WindowManagerEnvironment::TearDown() {
  m_process.terminate();
  m_process.waitForFinished();
}
