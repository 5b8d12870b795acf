#include "core/placement.h"

#include "core/units.h"

#include <algorithm>
#include <limits>

namespace tallynix {
namespace {

// On one axis, the position nearest to `at` that puts [partStart, partEnd) of
// the window within [areaStart, areaEnd); wide, so that far-off positions
// cannot overflow.
long long pulledInto(long long at, int partStart, int partEnd, int areaStart, int areaEnd) {
  const long long lowest = static_cast<long long>(areaStart) - partStart;
  const long long highest = static_cast<long long>(areaEnd) - partEnd;
  return std::clamp(at, lowest, std::max(lowest, highest));
}

// The place nearest to `at` that puts `part` of the window (relative to its
// top-left corner) wholly within a work area.
Point nearestPlace(Point at, const Rect &part, std::span<const Monitor> monitors) {
  Point best = at;
  double shortest = std::numeric_limits<double>::infinity();
  for (const Monitor &monitor : monitors) {
    const Rect &work = monitor.workArea;
    const long long x = pulledInto(at.x, part.left, part.right, work.left, work.right);
    const long long y = pulledInto(at.y, part.top, part.bottom, work.top, work.bottom);
    const double dx = static_cast<double>(x - at.x);
    const double dy = static_cast<double>(y - at.y);
    if (dx * dx + dy * dy < shortest) {
      shortest = dx * dx + dy * dy;
      best = {static_cast<int>(x), static_cast<int>(y)};
    }
  }
  return best;
}

// `part` of a window whose top-left corner is at `at`, on the screen; wide,
// so that far-off positions cannot overflow.
struct Area {
  long long left, top, right, bottom;
};
Area placed(Point at, const Rect &part) {
  return {static_cast<long long>(at.x) + part.left, static_cast<long long>(at.y) + part.top,
          static_cast<long long>(at.x) + part.right, static_cast<long long>(at.y) + part.bottom};
}

// How far apart two stretches of one axis are: negative by as much as they
// overlap.
long long apart(long long start, long long end, int otherStart, int otherEnd) {
  return std::max(otherStart - end, start - otherEnd);
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

Point placeOnScreen(std::optional<Point> wanted, Point size, Rect grip,
                    std::span<const Monitor> monitors) {
  if (monitors.empty())
    return wanted.value_or(Point{});
  if (!wanted)
    return {monitors.front().workArea.left, monitors.front().workArea.top};
  const Area held = placed(*wanted, grip);
  for (const Monitor &monitor : monitors) {
    const Rect &area = monitor.area;
    if (held.left >= area.left && held.top >= area.top && held.right <= area.right &&
        held.bottom <= area.bottom)
      return *wanted;
  }
  return placeWhollyOnScreen(*wanted, size, monitors);
}

Point placeWhollyOnScreen(Point wanted, Point size, std::span<const Monitor> monitors) {
  return nearestPlace(wanted, {0, 0, size.x, size.y}, monitors);
}

int openingDpi(std::optional<Point> wanted, Rect grip, std::span<const Monitor> monitors,
               int fallback) {
  if (monitors.empty())
    return fallback;
  if (!wanted)
    return monitors.front().dpi;
  const Area part = placed(*wanted, grip);
  // The most of the grip, then the least distance: the primary monitor on a tie.
  const Monitor *chosen = &monitors.front();
  double best = std::numeric_limits<double>::infinity();
  for (const Monitor &monitor : monitors) {
    const Rect &area = monitor.area;
    const double dx = static_cast<double>(apart(part.left, part.right, area.left, area.right));
    const double dy = static_cast<double>(apart(part.top, part.bottom, area.top, area.bottom));
    // Overlapping monitors score below zero by the area they share.
    const double score = dx < 0 && dy < 0 ? -dx * dy
                                          : std::max(dx, 0.0) * std::max(dx, 0.0) +
                                                std::max(dy, 0.0) * std::max(dy, 0.0);
    if (score < best) {
      best = score;
      chosen = &monitor;
    }
  }
  return chosen->dpi;
}

} // namespace tallynix
