#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "x11/x_connection.h"

namespace cefcompat {

// Where Chromium's windows live while no surface shows them. Every top-level
// window Chromium creates is taken into an unmapped window of the runtime's
// as soon as the X server reports it, before Chromium maps it: no browser
// window, dialog, bubble or bar of Chromium's is ever seen on the desktop. A
// browser claims its window by a token in the window's title; from then on
// the nursery places it in a host window, resizes, shows, hides and parks it.
// Pop-up lists, menus and tooltips (override-redirect windows) are left alone:
// they are what a person must see.
//
// Threads: the X work runs on the connection's X thread; the calls below may
// be made from any thread and post to it.
class WindowNursery {
 public:
  using Found = std::function<void(unsigned long window)>;

  explicit WindowNursery(XConnection& x);

  // The process whose windows are taken in (Chromium's browser process).
  void SetChromiumPid(pid_t pid) { pid_ = pid; }
  // `found` runs on the X thread once a window whose title holds `token`
  // has been taken in.
  void Claim(const std::string& token, Found found);
  void Cancel(const std::string& token);

  // `window` into `host` at the given place and size (physical pixels), mapped.
  void Place(unsigned long window, unsigned long host, int x, int y, int width, int height);
  void Resize(unsigned long window, int x, int y, int width, int height);
  // A hidden window's page is hidden (no painting, no animation frames), as a
  // minimised window's is.
  void SetHidden(unsigned long window, bool hidden);
  // Back into the nursery, hidden; waits for the X thread so that `window`
  // has left its host when this returns (the host may be destroyed next).
  // Not on the X thread.
  void Park(unsigned long window);
  // Keyboard focus to `window` (X time `time`; 0: now).
  void Focus(unsigned long window, unsigned long time = 0);
  // The top-level `window` takes keyboard focus itself (ICCCM's WM_TAKE_FOCUS),
  // so that the window manager does not take it from the page inside.
  void TakeFocusItself(unsigned long topLevel);

  // X thread: the atoms of ICCCM's WM_PROTOCOLS and WM_TAKE_FOCUS, into `atoms`.
  void InternFocusAtoms(_XDisplay* display, unsigned long atoms[2]);
  // After the nursery has been created: whether it can tell Chromium's windows from others'.
  bool CanTakeIn() const { return hasXRes_; }

  // X thread.
  void OnEvent(_XDisplay* display, const _XEvent& event);

 private:
  void Create(_XDisplay* display);
  void Adopt(_XDisplay* display, unsigned long window);
  void CheckTitle(_XDisplay* display, unsigned long window);
  void TakeBack(_XDisplay* display, unsigned long window, unsigned long parent);
  pid_t OwnerPid(_XDisplay* display, unsigned long window) const;
  void WriteState(_XDisplay* display, unsigned long window);
  void SetState(_XDisplay* display, unsigned long window, const char* state, bool on);
  void OnStateRequest(_XDisplay* display, const _XEvent& event);
  void KeepBounds(_XDisplay* display, const _XEvent& event);
  void FollowHost(_XDisplay* display, unsigned long host, unsigned long window);
  // True when `event` was a host's own change of size.
  bool OnHostConfigured(_XDisplay* display, const _XEvent& event);

  struct Bounds {
    int x, y, width, height;
  };

  XConnection& x_;
  std::atomic<pid_t> pid_{-1};
  // X thread only.
  unsigned long nursery_ = 0;
  std::set<unsigned long> taken_;      // every Chromium window taken in and not destroyed
  std::set<unsigned long> unclaimed_;  // Chromium's windows no browser has claimed yet
  std::map<std::string, Found> claims_;
  std::map<unsigned long, unsigned long> hosts_;  // host window -> the Chromium window placed in it
  std::map<unsigned long, Bounds> bounds_;        // Chromium window in a host -> its place there
  std::map<unsigned long, std::set<unsigned long>> states_;  // Chromium window -> its _NET_WM_STATE atoms
  std::atomic<bool> hasXRes_{false};
};

}  // namespace cefcompat
