#include "core/placement.h"

#include "core/units.h"

#include <limits>

namespace tallynix {
namespace {

bool overlaps(const Rect &a, const Rect &b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Squared distance from a point to a rectangle, in wide arithmetic so that
// far-off positions cannot overflow.
double distanceSquared(Point p, const Rect &r) {
  const double dx = p.x < r.left ? double(r.left) - p.x : p.x > r.right ? double(p.x) - r.right : 0;
  const double dy = p.y < r.top ? double(r.top) - p.y : p.y > r.bottom ? double(p.y) - r.bottom : 0;
  return dx * dx + dy * dy;
}

} // namespace

Rect animationStart(Rect window) { return {window.right, window.bottom, window.left, window.top}; }

std::optional<Point> storedPixelPosition(float leftTwips, float topTwips, int twipsPerPixel) {
  const auto x = twipsToPixels(leftTwips, twipsPerPixel);
  const auto y = twipsToPixels(topTwips, twipsPerPixel);
  if (!x || !y)
    return std::nullopt;
  return Point{*x, *y};
}

Point placeOnScreen(std::optional<Point> wanted, Point size, std::span<const Monitor> monitors) {
  if (monitors.empty())
    return wanted.value_or(Point{});
  if (wanted) {
    const Rect window{wanted->x, wanted->y, wanted->x + size.x, wanted->y + size.y};
    for (const Monitor &monitor : monitors)
      if (overlaps(window, monitor.area))
        return *wanted;
  }
  const Point from = wanted.value_or(Point{});
  const Monitor *nearest = &monitors.front();
  if (wanted) {
    double best = std::numeric_limits<double>::infinity();
    for (const Monitor &monitor : monitors) {
      const double d = distanceSquared(from, monitor.area);
      if (d < best) {
        best = d;
        nearest = &monitor;
      }
    }
  }
  return {nearest->workArea.left, nearest->workArea.top};
}

} // namespace tallynix
