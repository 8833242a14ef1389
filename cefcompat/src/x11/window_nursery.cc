#include "x11/window_nursery.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

#include <vector>

#include "base/log.h"

namespace cefcompat {

namespace {

constexpr int kParkTimeoutMs = 2000;

std::string Property(Display* display, Window window, const char* name, Atom type) {
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const Atom atom = XInternAtom(display, name, False);
  if (XGetWindowProperty(display, window, atom, 0, 1024, False, type, &actual, &format, &count, &after, &data) !=
          Success ||
      !data) {
    return {};
  }
  std::string text(reinterpret_cast<char*>(data), count);
  XFree(data);
  return text;
}

}  // namespace

WindowNursery::WindowNursery(XConnection& x) : x_(x) {
  x_.Post([this](Display* display) { Create(display); });
}

void WindowNursery::Create(Display* display) {
  int event = 0;
  int error = 0;
  hasXRes_ = XResQueryExtension(display, &event, &error);
  if (!hasXRes_) Log(LOGSEVERITY_WARNING, "the X server has no X-Resource extension: Chromium's windows are not taken in");
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  nursery_ = XCreateWindow(display, x_.Root(), -100, -100, 1, 1, 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWOverrideRedirect, &attributes);
  XSelectInput(display, x_.Root(), SubstructureNotifyMask);
}

void WindowNursery::InternFocusAtoms(Display* display, unsigned long atoms[2]) {
  atoms[0] = XInternAtom(display, "WM_PROTOCOLS", False);
  atoms[1] = XInternAtom(display, "WM_TAKE_FOCUS", False);
}

pid_t WindowNursery::OwnerPid(Display* display, unsigned long window) const {
  XResClientIdSpec spec{window, XRES_CLIENT_ID_PID_MASK};
  long count = 0;
  XResClientIdValue* values = nullptr;
  if (XResQueryClientIds(display, 1, &spec, &count, &values) != Success) return -1;
  pid_t pid = -1;
  for (long i = 0; i < count; ++i) {
    if (XResGetClientPid(&values[i]) > 0) pid = XResGetClientPid(&values[i]);
  }
  XResClientIdsDestroy(count, values);
  return pid;
}

void WindowNursery::OnEvent(Display* display, const XEvent& event) {
  switch (event.type) {
    case CreateNotify: {
      const XCreateWindowEvent& created = event.xcreatewindow;
      if (created.parent != x_.Root() || created.override_redirect || !hasXRes_) return;
      if (pid_ > 0 && OwnerPid(display, created.window) == pid_) Adopt(display, created.window);
      return;
    }
    case PropertyNotify:
      if (unclaimed_.count(event.xproperty.window)) CheckTitle(display, event.xproperty.window);
      return;
    case ReparentNotify:
      TakeBack(display, event.xreparent.window, event.xreparent.parent);
      return;
    case DestroyNotify:
      taken_.erase(event.xdestroywindow.window);
      unclaimed_.erase(event.xdestroywindow.window);
      bounds_.erase(event.xdestroywindow.window);
      states_.erase(event.xdestroywindow.window);
      return;
    case ClientMessage:
      OnStateRequest(display, event);
      return;
    case ConfigureNotify:
      if (OnHostConfigured(display, event)) return;
      KeepBounds(display, event);
      return;
    case ButtonPress: {
      const auto host = hosts_.find(event.xbutton.window);
      if (host != hosts_.end()) XSetInputFocus(display, host->second, RevertToParent, event.xbutton.time);
      XAllowEvents(display, ReplayPointer, event.xbutton.time);
      return;
    }
    default:
      return;
  }
}

void WindowNursery::Adopt(Display* display, unsigned long window) {
  XSelectInput(display, window, PropertyChangeMask | StructureNotifyMask);
  XReparentWindow(display, window, nursery_, 0, 0);
  taken_.insert(window);
  unclaimed_.insert(window);
  CheckTitle(display, window);
}

// Chromium may map a window before the nursery has taken it in: the window
// manager then frames it, on its own on the desktop. It is taken back at once.
void WindowNursery::TakeBack(Display* display, unsigned long window, unsigned long parent) {
  if (!taken_.count(window) || parent == nursery_ || hosts_.count(parent)) return;
  Log(LOGSEVERITY_WARNING, "a window of Chromium's was put on the desktop before the nursery took it in; taken back");
  XReparentWindow(display, window, nursery_, 0, 0);
}

void WindowNursery::CheckTitle(Display* display, unsigned long window) {
  if (claims_.empty()) return;
  std::string title = Property(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False));
  if (title.empty()) title = Property(display, window, "WM_NAME", AnyPropertyType);
  for (auto it = claims_.begin(); it != claims_.end(); ++it) {
    if (title.find(it->first) == std::string::npos) continue;
    Found found = std::move(it->second);
    claims_.erase(it);
    unclaimed_.erase(window);
    found(window);
    return;
  }
}

// Chromium reads its window's state from _NET_WM_STATE, which a window
// manager writes for the windows it manages. A Chromium window in a host is
// managed by no one, so the nursery writes it: hidden as the host wants, and
// fullscreen (or maximised) as Chromium asks the window manager by a message
// to the root window, which the nursery sees too.
void WindowNursery::WriteState(Display* display, unsigned long window) {
  std::vector<Atom> atoms(states_[window].begin(), states_[window].end());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
}

void WindowNursery::SetState(Display* display, unsigned long window, const char* state, bool on) {
  const Atom atom = XInternAtom(display, state, False);
  if (on) {
    states_[window].insert(atom);
  } else {
    states_[window].erase(atom);
  }
  WriteState(display, window);
}

void WindowNursery::OnStateRequest(Display* display, const XEvent& event) {
  const XClientMessageEvent& message = event.xclient;
  if (message.message_type != XInternAtom(display, "_NET_WM_STATE", False) || !bounds_.count(message.window)) return;
  constexpr long kRemove = 0;
  constexpr long kAdd = 1;
  const Atom hidden = XInternAtom(display, "_NET_WM_STATE_HIDDEN", False);
  std::set<unsigned long>& states = states_[message.window];
  for (int i = 1; i <= 2; ++i) {
    const Atom atom = static_cast<Atom>(message.data.l[i]);
    if (atom == 0 || atom == hidden) continue;  // hidden is the host's to say
    const bool on = message.data.l[0] == kAdd || (message.data.l[0] != kRemove && !states.count(atom));
    if (on) {
      states.insert(atom);
    } else {
      states.erase(atom);
    }
  }
  WriteState(display, message.window);
}

// A window placed at its host's origin fills the host at the host's own size
// as the X server has it, now and after each change: the size the host's
// owner asked for may not have reached the server yet when it places the
// window, and its later resize may come before the window is placed.
void WindowNursery::FollowHost(Display* display, unsigned long host, unsigned long window) {
  Bounds& bounds = bounds_[window];
  if (bounds.x != 0 || bounds.y != 0) return;
  XSelectInput(display, host, StructureNotifyMask);
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, host, &attributes) || attributes.width < 1 || attributes.height < 1) return;
  bounds.width = attributes.width;
  bounds.height = attributes.height;
}

bool WindowNursery::OnHostConfigured(Display* display, const XEvent& event) {
  const XConfigureEvent& configure = event.xconfigure;
  if (configure.event != configure.window) return false;
  const auto host = hosts_.find(configure.window);
  if (host == hosts_.end()) return false;
  const auto bounds = bounds_.find(host->second);
  if (bounds == bounds_.end() || bounds->second.x != 0 || bounds->second.y != 0) return true;
  bounds->second.width = std::max(1, configure.width);
  bounds->second.height = std::max(1, configure.height);
  XMoveResizeWindow(display, host->second, 0, 0, bounds->second.width, bounds->second.height);
  return true;
}

// A hosted window keeps the place its host gives it, whatever size Chromium
// chooses for it (the screen's, when a page goes fullscreen).
void WindowNursery::KeepBounds(Display* display, const XEvent& event) {
  const XConfigureEvent& configure = event.xconfigure;
  const auto bounds = bounds_.find(configure.window);
  if (bounds == bounds_.end()) return;
  const Bounds& wanted = bounds->second;
  if (configure.x == wanted.x && configure.y == wanted.y && configure.width == wanted.width &&
      configure.height == wanted.height) {
    return;
  }
  XMoveResizeWindow(display, configure.window, wanted.x, wanted.y, wanted.width, wanted.height);
}

void WindowNursery::Claim(const std::string& token, Found found) {
  x_.Post([this, token, found = std::move(found)](Display* display) mutable {
    claims_[token] = std::move(found);
    const std::set<unsigned long> windows = unclaimed_;
    for (unsigned long window : windows) CheckTitle(display, window);
  });
}

void WindowNursery::Cancel(const std::string& token) {
  x_.Post([this, token](Display*) { claims_.erase(token); });
}

// A click anywhere in the host first reaches the nursery (a passive grab, as
// a window manager's click-to-focus has), which gives the keyboard to the
// page and lets the click go on to it. Whatever the window manager did with
// the click before (focusing the top-level window) comes first, so the page
// keeps the focus: a pop-up list closes at once without it.
void WindowNursery::Place(unsigned long window, unsigned long host, int x, int y, int width, int height) {
  x_.Post([=](Display* display) {
    hosts_[host] = window;
    bounds_[window] = {x, y, std::max(1, width), std::max(1, height)};
    FollowHost(display, host, window);
    XGrabButton(display, AnyButton, AnyModifier, host, False, ButtonPressMask, GrabModeSync, GrabModeAsync, None, None);
    const Bounds& placed = bounds_[window];
    XReparentWindow(display, window, host, placed.x, placed.y);
    XMoveResizeWindow(display, window, placed.x, placed.y, placed.width, placed.height);
    XMapWindow(display, window);
  });
}

void WindowNursery::Resize(unsigned long window, int x, int y, int width, int height) {
  x_.Post([=](Display* display) {
    if (bounds_.count(window)) bounds_[window] = {x, y, std::max(1, width), std::max(1, height)};
    XMoveResizeWindow(display, window, x, y, std::max(1, width), std::max(1, height));
  });
}

void WindowNursery::SetHidden(unsigned long window, bool hidden) {
  x_.Post([=](Display* display) { SetState(display, window, "_NET_WM_STATE_HIDDEN", hidden); });
}

void WindowNursery::Park(unsigned long window) {
  auto park = [this, window](Display* display) {
    for (auto it = hosts_.begin(); it != hosts_.end();) {
      if (it->second != window) {
        ++it;
        continue;
      }
      XUngrabButton(display, AnyButton, AnyModifier, it->first);
      it = hosts_.erase(it);
    }
    bounds_.erase(window);
    XReparentWindow(display, window, nursery_, 0, 0);
    SetState(display, window, "_NET_WM_STATE_HIDDEN", true);
    XSync(display, False);
  };
  if (!x_.Run(park, kParkTimeoutMs)) Log(LOGSEVERITY_WARNING, "a browser window could not be parked in time");
}

void WindowNursery::Focus(unsigned long window, unsigned long time) {
  x_.Post([=](Display* display) { XSetInputFocus(display, window, RevertToParent, time); });
}

void WindowNursery::TakeFocusItself(unsigned long topLevel) {
  x_.Post([=](Display* display) {
    XWMHints* current = XGetWMHints(display, topLevel);
    XWMHints hints = current ? *current : XWMHints{};
    if (current) XFree(current);
    if ((hints.flags & InputHint) && !hints.input) return;
    hints.flags |= InputHint;
    hints.input = False;
    XSetWMHints(display, topLevel, &hints);
  });
}

}  // namespace cefcompat
