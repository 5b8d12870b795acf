// Twips (1/1440 inch) and screen pixels. Portable: no Windows headers.
#pragma once

#include <cmath>
#include <optional>

namespace tallynix {

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4), as a double.
inline double roundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction > 0.5)
    return floor + 1;
  if (fraction < 0.5)
    return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

// The screen's twips per pixel: 15 at 96 dots per inch. Kept whole, so that
// positions and mouse coordinates in twips convert back to the same pixels
// at every density.
inline int twipsPerPixel(int dpi) {
  return dpi > 0 ? static_cast<int>(roundHalfEven(1440.0 / dpi)) : 15;
}

// A design length in twips as pixels at the screen's density, keeping the
// physical size: 3495 twips are 233 pixels at 96 dots per inch.
inline int scaleTwips(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

// A font size in points as the negative pixel height a font is made with.
inline int fontHeight(double points, int dpi) {
  return -static_cast<int>(std::lround(points * dpi / 72.0));
}

// twips / twipsPerPixel rounded half to even, or nothing when the result is
// not a usable screen coordinate (a zero divisor, an overflow).
inline std::optional<int> twipsToPixels(double twips, double twipsPerPixel) {
  if (!(twipsPerPixel > 0) || !std::isfinite(twips))
    return std::nullopt;
  const double pixels = roundHalfEven(twips / twipsPerPixel);
  constexpr double kLimit = 1 << 30;
  if (!(pixels > -kLimit && pixels < kLimit))
    return std::nullopt;
  return static_cast<int>(pixels);
}

} // namespace tallynix
