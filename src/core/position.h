// The main window's stored position: its left and top edges in twips
// (1/1440 inch), kept as text in the settings store between runs.
#pragma once

#include "core/settings_store.h"

#include <optional>
#include <string>
#include <string_view>

namespace tallynix {

struct Position {
  float left = 0;
  float top = 0;
};

// At most seven significant digits, no thousands separators, no trailing
// zeros or point, independent of the locale: 300, -15, 1500.5, 1E+08.
std::string formatPositionValue(float value);

// The number a stored text holds, read independently of the locale, or
// nothing when the text is not a finite single-precision number.
std::optional<float> parsePositionValue(std::string_view text);

// A value that is absent or not a number reads as 0; a bad value stays in
// the store until the next save overwrites it.
Position loadPosition(SettingsStore &settings);
void savePosition(SettingsStore &settings, Position position);

} // namespace tallynix
