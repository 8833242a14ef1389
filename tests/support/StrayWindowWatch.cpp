#include "StrayWindowWatch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

std::vector<Window> Children(Display* display, Window window) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return {};
  std::vector<Window> list(children, children + count);
  if (children) XFree(children);
  return list;
}

// Errors for windows gone meanwhile are expected on the watch's own
// connection (it looks late); the others go to the handler there was before.
Display* g_watchDisplay = nullptr;
XErrorHandler g_previousHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
  if (display == g_watchDisplay || !g_previousHandler) return 0;
  return g_previousHandler(display, error);
}

}  // namespace

StrayWindowWatch::StrayWindowWatch() : m_pDisplay(XOpenDisplay(nullptr)) {
  if (!m_pDisplay) return;
  g_watchDisplay = m_pDisplay;
  g_previousHandler = XSetErrorHandler(&OnXError);
  XSelectInput(m_pDisplay, DefaultRootWindow(m_pDisplay), SubstructureNotifyMask);
  XFlush(m_pDisplay);
  m_pNotifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_pDisplay), QSocketNotifier::Read);
  connect(m_pNotifier.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
}

StrayWindowWatch::~StrayWindowWatch() {
  m_pNotifier.reset();
  if (!m_pDisplay) return;
  XCloseDisplay(m_pDisplay);
  XSetErrorHandler(g_previousHandler);
  g_watchDisplay = nullptr;
}

std::vector<std::string> StrayWindowWatch::Seen() {
  Drain();
  return m_vecSeen;
}

std::vector<std::string> StrayWindowWatch::ShownNow() const {
  std::vector<std::string> shown;
  if (!m_pDisplay) return shown;
  for (Window child : Children(m_pDisplay, DefaultRootWindow(m_pDisplay))) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_pDisplay, child, &attributes)) continue;
    if (attributes.override_redirect || attributes.map_state != IsViewable) continue;
    if (const Window foreign = ForeignWindow(child, 2)) shown.push_back(Describe(foreign));
  }
  return shown;
}

void StrayWindowWatch::Drain() {
  if (!m_pDisplay) return;
  while (XPending(m_pDisplay)) {
    XEvent event;
    XNextEvent(m_pDisplay, &event);
    if (event.type != MapNotify || event.xmap.event != DefaultRootWindow(m_pDisplay)) continue;
    if (event.xmap.override_redirect) continue;
    if (const Window foreign = ForeignWindow(event.xmap.window, 2)) m_vecSeen.push_back(Describe(foreign));
  }
}

unsigned long StrayWindowWatch::ForeignWindow(unsigned long window, int depth) const {
  const long pid = OwnerPid(window);
  if (pid > 0 && pid != getpid()) return window;
  // What the test's own windows hold (Chromium's window in a surface) is in place.
  if (pid == getpid() || depth == 0) return 0;
  for (Window child : Children(m_pDisplay, window)) {
    if (const Window foreign = ForeignWindow(child, depth - 1)) return foreign;
  }
  return 0;
}

long StrayWindowWatch::OwnerPid(unsigned long window) const {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const Atom atom = XInternAtom(m_pDisplay, "_NET_WM_PID", False);
  if (XGetWindowProperty(m_pDisplay, window, atom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) !=
          Success ||
      !data) {
    return 0;
  }
  const long pid = count == 1 ? static_cast<long>(*reinterpret_cast<unsigned long*>(data)) : 0;
  XFree(data);
  return pid;
}

std::string StrayWindowWatch::Describe(unsigned long window) const {
  char* name = nullptr;
  std::string title = XFetchName(m_pDisplay, window, &name) && name ? name : "(untitled)";
  if (name) XFree(name);
  XClassHint hint{};
  std::string windowClass;
  if (XGetClassHint(m_pDisplay, window, &hint)) {
    windowClass = std::string(hint.res_name ? hint.res_name : "") + "/" + (hint.res_class ? hint.res_class : "");
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
  }
  XWindowAttributes attributes{};
  XGetWindowAttributes(m_pDisplay, window, &attributes);
  return "'" + title + "' (" + windowClass + ", " + std::to_string(attributes.width) + "x" +
         std::to_string(attributes.height) + ") of pid " + std::to_string(OwnerPid(window));
}
