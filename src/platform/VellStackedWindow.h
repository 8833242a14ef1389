#pragma once

#include <QRect>

// A top-level window as the window system describes it: where it is on the
// screen and whether it can hide what lies below it.
struct VellStackedWindow {
  QRect rect;              // root (screen) coordinates
  bool bViewable = false;  // mapped, and all its ancestors too
  bool bHidden = false;    // minimised (_NET_WM_STATE_HIDDEN)
  bool bDock = false;      // a panel or dock (_NET_WM_WINDOW_TYPE_DOCK)
};
