#pragma once

#include <vector>

#include <QRect>

#include "platform/VellStackedWindow.h"

// Whether the windows stacked above a window hide it. Pure geometry: no
// window system, any thread.
class VellWindowCover {
 public:
  VellWindowCover() = delete;

  // A window that is shown, not minimised and not a panel or dock. Docks play
  // the part of the Windows start menu: never counted as covering.
  static bool CanCover(const VellStackedWindow& window);
  // True when the windows in `above` that can cover together hide all of
  // `target`, except a band of `nTolerancePx` along its edges.
  static bool IsCovered(const QRect& target, const std::vector<VellStackedWindow>& above, int nTolerancePx);

 private:
  // The part of `target` that must be hidden; at least its centre point.
  static QRect _MustBeHidden(const QRect& target, int nTolerancePx);
  // True when the union of `rects` contains every point of `area`.
  static bool _UnionContains(const std::vector<QRect>& rects, const QRect& area);
};
