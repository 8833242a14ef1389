#include "platform/VellWindowCover.h"

#include <algorithm>

namespace {

// The distinct values of `edges` inside [low, high], sorted, with both ends.
std::vector<int> Cuts(std::vector<int> edges, int low, int high) {
  edges.push_back(low);
  edges.push_back(high);
  edges.erase(std::remove_if(edges.begin(), edges.end(), [&](int edge) { return edge < low || edge > high; }),
              edges.end());
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  return edges;
}

}  // namespace

bool VellWindowCover::CanCover(const VellStackedWindow& window) {
  return window.bViewable && !window.bHidden && !window.bDock && !window.rect.isEmpty();
}

bool VellWindowCover::IsCovered(const QRect& target, const std::vector<VellStackedWindow>& above, int nTolerancePx) {
  if (target.isEmpty()) return false;
  const QRect area = _MustBeHidden(target, nTolerancePx);
  std::vector<QRect> covering;
  for (const VellStackedWindow& window : above) {
    if (CanCover(window) && window.rect.intersects(area)) covering.push_back(window.rect & area);
  }
  return _UnionContains(covering, area);
}

QRect VellWindowCover::_MustBeHidden(const QRect& target, int nTolerancePx) {
  const int tolerance = std::max(0, nTolerancePx);
  const QRect inner = target.adjusted(tolerance, tolerance, -tolerance, -tolerance);
  return inner.isEmpty() ? QRect(target.center(), QSize(1, 1)) : inner;
}

bool VellWindowCover::_UnionContains(const std::vector<QRect>& rects, const QRect& area) {
  if (rects.empty()) return false;
  // Cut the area along every rectangle edge (half-open coordinates); each cell
  // is then either wholly inside a rectangle or wholly outside all of them.
  std::vector<int> xEdges, yEdges;
  for (const QRect& rect : rects) {
    xEdges.insert(xEdges.end(), {rect.x(), rect.x() + rect.width()});
    yEdges.insert(yEdges.end(), {rect.y(), rect.y() + rect.height()});
  }
  const std::vector<int> xs = Cuts(xEdges, area.x(), area.x() + area.width());
  const std::vector<int> ys = Cuts(yEdges, area.y(), area.y() + area.height());
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    for (size_t j = 0; j + 1 < ys.size(); ++j) {
      const QPoint cell(xs[i], ys[j]);
      const bool hidden = std::any_of(rects.begin(), rects.end(), [&](const QRect& rect) { return rect.contains(cell); });
      if (!hidden) return false;
    }
  }
  return true;
}
