#include "x_screen.h"

#include <poll.h>

#include <chrono>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>

namespace {

// Without a damage report the colour is read again this often.
constexpr int kRereadMs = 2;
// How often a wait for a window asks whether to give up.
constexpr int kGiveUpCheckMs = 100;

std::vector<Window> WindowList(Display* display, const char* property) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const Atom atom = XInternAtom(display, property, False);
  if (XGetWindowProperty(display, DefaultRootWindow(display), atom, 0, 4096, False, XA_WINDOW, &type, &format, &count,
                         &after, &data) != Success ||
      !data) {
    return {};
  }
  const auto* windows = reinterpret_cast<const Window*>(data);
  std::vector<Window> list(windows, windows + count);
  XFree(data);
  return list;
}

std::vector<Window> RootChildren(Display* display) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return {};
  std::vector<Window> list(children, children + count);
  if (children) XFree(children);
  return list;
}

std::vector<Window> ClientWindows(Display* display) {
  std::vector<Window> windows = WindowList(display, "_NET_CLIENT_LIST");
  return windows.empty() ? RootChildren(display) : windows;
}

std::string Title(Display* display, Window window) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  if (XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
      data) {
    std::string title(reinterpret_cast<char*>(data), count);
    XFree(data);
    return title;
  }
  char* legacy = nullptr;
  if (!XFetchName(display, window, &legacy) || !legacy) return {};
  std::string title(legacy);
  XFree(legacy);
  return title;
}

int DropError(Display*, XErrorEvent*) { return 0; }

}  // namespace

XScreen::XScreen() : display_(XOpenDisplay(nullptr)) {
  if (!display_) return;
  int errorBase = 0;
  int eventBase = 0;
  if (XDamageQueryExtension(display_, &eventBase, &errorBase)) damageEventBase_ = eventBase;
}

void XScreen::IgnoreErrors() { XSetErrorHandler(DropError); }

XScreen::~XScreen() {
  if (!display_) return;
  if (damage_) XDamageDestroy(display_, damage_);
  XCloseDisplay(display_);
}

bool XScreen::HasWindowManager() const { return !WindowList(display_, "_NET_SUPPORTING_WM_CHECK").empty(); }

bool XScreen::WaitForWindowManager(int timeoutMs) {
  // It announces itself with a property of the root window.
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask | PropertyChangeMask);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (HasWindowManager()) return true;
    WaitForEvent(kGiveUpCheckMs);
    DrainEvents();
  }
  return false;
}

unsigned long XScreen::WindowTitled(const std::string& title) const {
  for (Window window : ClientWindows(display_)) {
    if (Title(display_, window) == title) return window;
  }
  return 0;
}

unsigned long XScreen::WaitForWindowTitled(const std::string& title, int timeoutMs,
                                           const std::function<bool()>& giveUp) {
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask | PropertyChangeMask);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline && !giveUp()) {
    // Each window listed wakes this wait when its title changes.
    for (Window window : ClientWindows(display_)) XSelectInput(display_, window, PropertyChangeMask);
    if (const unsigned long window = WindowTitled(title)) return window;
    WaitForEvent(kGiveUpCheckMs);
    DrainEvents();
  }
  return 0;
}

void XScreen::WaitForEvent(int ms) const {
  XFlush(display_);
  if (XPending(display_)) return;
  pollfd wake{ConnectionNumber(display_), POLLIN, 0};
  poll(&wake, 1, ms);
}

bool XScreen::Geometry(unsigned long window, int& rootX, int& rootY, int& width, int& height) const {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window, &attributes)) return false;
  Window child = 0;
  if (!XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &rootX, &rootY, &child)) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

unsigned long XScreen::FocusWindow() const {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  return focus;
}

bool XScreen::IsInside(unsigned long window, unsigned long ancestor) const {
  while (window && window != DefaultRootWindow(display_)) {
    if (window == ancestor) return true;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    window = parent;
  }
  return false;
}

bool XScreen::WaitForFocus(unsigned long window, int timeoutMs) {
  // Focus changes in the window wake this wait (its titles still do too).
  XSelectInput(display_, window, FocusChangeMask | PropertyChangeMask);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (IsInside(FocusWindow(), window)) return true;
    WaitForEvent(kGiveUpCheckMs);
    DrainEvents();
  }
  return false;
}

void XScreen::Click(int rootX, int rootY) const {
  XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
  XTestFakeButtonEvent(display_, 1, True, CurrentTime);
  XTestFakeButtonEvent(display_, 1, False, CurrentTime);
  XSync(display_, False);
}

void XScreen::Key(const std::string& keysym, bool down) const {
  const unsigned int code = XKeysymToKeycode(display_, XStringToKeysym(keysym.c_str()));
  XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
  XFlush(display_);
}

unsigned int XScreen::Pixel(unsigned long window, int x, int y) const {
  XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0;
  const unsigned long pixel = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return static_cast<unsigned int>(pixel & 0xffffff);
}

void XScreen::WatchDamage(unsigned long window) {
  if (!HasDamage()) return;
  if (damage_) XDamageDestroy(display_, damage_);
  damage_ = XDamageCreate(display_, window, XDamageReportNonEmpty);
  XSync(display_, False);
  DrainEvents();
}

bool XScreen::DrainEvents() {
  bool damaged = false;
  while (XPending(display_)) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type != damageEventBase_ + XDamageNotify) continue;
    // Subtracting re-arms the report for the next change.
    XDamageSubtract(display_, reinterpret_cast<XDamageNotifyEvent*>(&event)->damage, None, None);
    ++damageReports_;
    damaged = true;
  }
  return damaged;
}

bool XScreen::WaitForPixel(unsigned long window, int x, int y, const std::function<bool(unsigned int)>& match,
                           int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    DrainEvents();
    if (match(Pixel(window, x, y))) return true;
    WaitForEvent(kRereadMs);
  }
  return false;
}
