#include "memo/position.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tallynix {
namespace {

constexpr std::string_view kApp = "tallynix";
constexpr std::string_view kSection = "WindowPosition";

float readValue(SettingsStore &settings, std::string_view key) {
  return parsePositionValue(settings.get(kApp, kSection, key, "0")).value_or(0.0f);
}

} // namespace

std::string formatPositionValue(float value) {
  if (value == 0) // also turns -0 into "0"
    return "0";
  char buffer[32];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
  std::string text(buffer, end);
  // "1e+08" -> "1E+08", the customary spelling of the exponent.
  for (char &c : text)
    if (c == 'e')
      c = 'E';
  return text;
}

std::optional<float> parsePositionValue(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  if (text.empty())
    return std::nullopt;
  float value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

Position loadPosition(SettingsStore &settings) {
  Position position;
  position.left = readValue(settings, "Left");
  position.top = readValue(settings, "Top");
  return position;
}

void savePosition(SettingsStore &settings, Position position) {
  settings.save(kApp, kSection, "Left", formatPositionValue(position.left));
  settings.save(kApp, kSection, "Top", formatPositionValue(position.top));
}

} // namespace tallynix
