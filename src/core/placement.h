// Where a window opens on the screen. Portable: no Windows headers.
#pragma once

#include <optional>
#include <span>

namespace tallynix {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(Point, Point) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(Rect, Rect) = default;
};

struct Monitor {
  Rect area;     // the whole monitor
  Rect workArea; // without the taskbar
  int dpi = 96;  // the density windows on it are laid out for
};

// The rectangle the opening animation starts from: both corners swapped.
Rect animationStart(Rect window);

// The stored position (twips) as a pixel position, rounded half to even, or
// nothing when the values cannot be a screen position at all.
std::optional<Point> storedPixelPosition(float leftTwips, float topTwips, int twipsPerPixel);

// Where a window of `size` whose top-left corner should go to `wanted` opens,
// so that the user can always reach it. `grip` is the part of the window that
// must be in reach, relative to its top-left corner: the strip's drag margin.
// - A grip wholly within some monitor keeps the wanted place, however much of
//   the rest of the window lies off screen. The taskbar counts as on screen:
//   a strip parked over it stays there.
// - Otherwise the window moves the least distance that brings all of it
//   within a work area (the primary monitor's on a tie): a window left beyond
//   an unplugged monitor comes back at the nearest edge, at the same height
//   where that height is on screen. A window larger than the work area lines
//   up with its top-left corner.
// - Unusable values (nothing) open at the top-left corner of the primary
//   monitor's work area, the first of `monitors`.
Point placeOnScreen(std::optional<Point> wanted, Point size, Rect grip,
                    std::span<const Monitor> monitors);

// Where a window that must be seen whole opens (the About window): the
// nearest place that brings all of it within a work area, clear of the
// taskbar.
Point placeWhollyOnScreen(Point wanted, Point size, std::span<const Monitor> monitors);

// The density a window is laid out for before it is placed at `wanted`: that
// of the monitor holding the most of its `grip`, else of the nearest monitor;
// for unusable values, the primary monitor's. `fallback` with no monitor.
int openingDpi(std::optional<Point> wanted, Rect grip, std::span<const Monitor> monitors,
               int fallback);

} // namespace tallynix
