// The tooltips of the strip's five buttons: the system's tooltip control,
// made the first time the pointer moves over a button. A strip nobody points
// at loads no common controls, makes no window and runs no timer.
#pragma once

#include "win32/handles.h"

namespace tallynix {

class StripTooltips {
public:
  // The strip's WM_SETCURSOR, which it hears for every mouse move over one
  // of its controls: the first move over a button makes the tooltips.
  void onSetCursor(HWND strip, HWND over, UINT mouseMessage, int dpi, int systemDpi);
  // Drops the tooltips, before the strip goes or when it is laid out for
  // another density; the next move over a button makes them anew.
  void reset() noexcept;

private:
  bool create(HWND strip, int dpi, int systemDpi);

  // Declared in this order so that the tooltip goes first, then its font,
  // then the library.
  win32::UniqueModule commonControls_;
  win32::UniqueFont font_;
  win32::UniqueWindow tooltip_;
};

} // namespace tallynix
