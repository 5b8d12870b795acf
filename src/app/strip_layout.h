// The strip's design in twips, laid out in pixels for one density at a time:
// where each control sits, how large it is, and the font they share.
#pragma once

#include "core/placement.h"
#include "win32/handles.h"

namespace tallynix {

class StripLayout {
public:
  // Places the strip's controls for `dpi`, with a font made for it, and
  // returns the client size.
  SIZE apply(HWND strip, int dpi);
  // The strip's one uncovered patch, left of the list and above the hide
  // button, by which it is dragged: relative to the window, at `dpi`.
  static Rect dragMargin(int dpi);

private:
  win32::UniqueFont font_;
};

} // namespace tallynix
