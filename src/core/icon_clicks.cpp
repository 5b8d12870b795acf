#include "core/icon_clicks.h"

#include "core/units.h"

#include <cmath>
#include <cstdint>

namespace tallynix {
namespace {

constexpr int kLeftButtonDown = 0x201;
constexpr int kRightButtonDown = 0x204;
constexpr int kKeySelect = 0x401;  // Enter or Space; the left click's 0x400 changes nothing
constexpr int kContextMenu = 0x7B; // no mouse move reaches so far right of the drag margin

} // namespace

int iconMessageFromTwips(float xTwips, float twipsPerPixel) {
  const double x = roundHalfEven(xTwips);
  const double perPixel = roundHalfEven(twipsPerPixel);
  if (!(perPixel >= 1) || !std::isfinite(x) || std::fabs(x) > 2e9)
    return 0;
  return static_cast<int>(static_cast<std::int64_t>(x) / static_cast<std::int64_t>(perPixel));
}

IconAction iconActionFor(int message) {
  switch (message) {
  case kLeftButtonDown:
    return IconAction::showWindow;
  case kRightButtonDown:
    return IconAction::trayMenu;
  case kKeySelect:
    return IconAction::showForTyping;
  case kContextMenu:
    return IconAction::contextMenu;
  default:
    return IconAction::none;
  }
}

} // namespace tallynix
