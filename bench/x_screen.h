#pragma once
// What the view benchmark does and reads on the X server: the window
// manager's presence, windows found by title, XTest clicks and keys, and the
// colour a window shows, read back when the server reports it damaged.
// Xlib's headers stay in the source file: their macros clash with Qt's names.
// One thread at a time.

#include <functional>
#include <string>

struct _XDisplay;

class XScreen {
 public:
  XScreen();
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;

  // For a process without the runtime (which logs X errors and goes on):
  // windows that vanish between listing and reading must not end it. Xlib's
  // error handler is the whole process's.
  static void IgnoreErrors();

  bool IsOpen() const { return display_ != nullptr; }
  // A window manager that follows EWMH announces itself on the root window.
  bool HasWindowManager() const;
  bool WaitForWindowManager(int timeoutMs);
  bool HasDamage() const { return damageEventBase_ >= 0; }

  // A top-level client window titled `title`; 0 when none is mapped yet.
  unsigned long WindowTitled(const std::string& title) const;
  // Waits for such a window (checked again as windows come and change their
  // titles) until `timeoutMs` pass or `giveUp` holds; 0 then.
  unsigned long WaitForWindowTitled(const std::string& title, int timeoutMs, const std::function<bool()>& giveUp);
  // `window`'s top left on the screen and its size.
  bool Geometry(unsigned long window, int& rootX, int& rootY, int& width, int& height) const;
  unsigned long FocusWindow() const;
  // Waits until the keyboard focus is in `window` (or a window inside it).
  bool WaitForFocus(unsigned long window, int timeoutMs);

  void Click(int rootX, int rootY) const;
  // A key by its X keysym name ("a"), pressed or released.
  void Key(const std::string& keysym, bool down) const;

  // The colour at (x, y) of `window` as 0xRRGGBB.
  unsigned int Pixel(unsigned long window, int x, int y) const;
  // From now on damage to `window` is reported to WaitForPixel.
  void WatchDamage(unsigned long window);
  // Waits until `match` holds for the colour at (x, y) of `window`, reading
  // it again on each damage report (and every few ms, in case none comes);
  // false after `timeoutMs`.
  bool WaitForPixel(unsigned long window, int x, int y, const std::function<bool(unsigned int)>& match, int timeoutMs);
  // Damage reports read so far.
  int DamageReports() const { return damageReports_; }

 private:
  // Reads the events queued; true when one was a damage report.
  bool DrainEvents();
  // Waits for an event from the server, at most `ms`.
  void WaitForEvent(int ms) const;
  bool IsInside(unsigned long window, unsigned long ancestor) const;

  _XDisplay* display_;
  int damageEventBase_ = -1;
  unsigned long damage_ = 0;
  int damageReports_ = 0;
};
