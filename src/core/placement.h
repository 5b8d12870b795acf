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
};

// The rectangle the opening animation starts from: both corners swapped.
Rect animationStart(Rect window);

// The stored position (twips) as a pixel position, rounded half to even, or
// nothing when the values cannot be a screen position at all.
std::optional<Point> storedPixelPosition(float leftTwips, float topTwips, int twipsPerPixel);

// A window of `size` at `wanted` (nothing: unusable values) stays where it is
// when it overlaps any monitor; otherwise it goes to the top-left corner of
// the nearest monitor's work area, so that it can never open out of reach.
Point placeOnScreen(std::optional<Point> wanted, Point size, std::span<const Monitor> monitors);

} // namespace tallynix
