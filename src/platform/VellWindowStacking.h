#pragma once

#include <cstdint>
#include <vector>

#include <QRect>

#include "platform/VellStackedWindow.h"

struct xcb_connection_t;

// Reads the stacking of top-level windows from the X server, on a connection
// of its own: the windows the window manager lists bottom to top
// (_NET_CLIENT_LIST_STACKING), or the root window's children when no window
// manager keeps that list. Only when Qt itself runs on X11 ("xcb"); on other
// platforms (offscreen, Wayland) it is not available.
//
// Threads: built on the Qt thread, then used by one thread at a time (the
// connection is xcb's, which is thread-safe; the object keeps no other state).
class VellWindowStacking {
 public:
  VellWindowStacking();
  ~VellWindowStacking();
  VellWindowStacking(const VellWindowStacking&) = delete;
  VellWindowStacking& operator=(const VellWindowStacking&) = delete;

  bool IsAvailable() const { return m_pConnection != nullptr; }
  // Describes `window` (an X window id, as QWidget::winId gives it), its
  // rectangle clipped to the screen, and the windows stacked above it, bottom
  // to top. False when the window system cannot tell: not available, or
  // `window` is not (or no longer) a window.
  bool Query(uint32_t window, VellStackedWindow& self, std::vector<VellStackedWindow>& above) const;

 private:
  uint32_t _InternAtom(const char* name) const;
  // The window manager's stacking list; empty when there is none.
  std::vector<uint32_t> _ClientStacking() const;
  // The root window's children, bottom to top.
  std::vector<uint32_t> _TreeStacking() const;
  // The child of the root window that holds `window` (its frame, or itself).
  uint32_t _TopLevelOf(uint32_t window) const;
  // 32-bit items of a window property; empty when it is not set.
  std::vector<uint32_t> _Property(uint32_t window, uint32_t property, uint32_t type) const;
  bool _Describe(uint32_t window, VellStackedWindow& described) const;

  xcb_connection_t* m_pConnection = nullptr;
  uint32_t m_nRoot = 0;
  QRect m_screenRect;  // the root window's
  uint32_t m_nClientListStacking = 0;
  uint32_t m_nWindowType = 0;
  uint32_t m_nWindowTypeDock = 0;
  uint32_t m_nWmState = 0;
  uint32_t m_nWmStateHidden = 0;
};
