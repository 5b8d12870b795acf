#include "core/position.h"

#include <charconv>
#include <cmath>
#include <cstdio>
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
  char buffer[48];
  // Whole numbers, which every pixel position is, print as plain digits.
  if (std::fabs(value) < 1e7f && value == std::trunc(value)) {
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long>(value));
    return std::string(buffer, end);
  }
  // Otherwise seven significant digits, laid out as "%G" would. Digits and
  // exponent are taken apart here because C runtimes disagree on how many
  // digits an exponent gets.
  std::snprintf(buffer, sizeof buffer, "%.6E", static_cast<double>(value));
  std::string_view text(buffer);
  const bool negative = text.front() == '-';
  if (negative)
    text.remove_prefix(1);
  std::string digits;
  digits += text[0];
  digits += text.substr(2, 6);
  int exponent = 0;
  const std::string_view exponentText = text.substr(text.find('E') + 1);
  std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                  exponentText.data() + exponentText.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent < -4 || exponent >= 7) {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out.append(digits, 1);
    }
    out += exponent < 0 ? "E-" : "E+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10)
      out += '0';
    out += std::to_string(magnitude);
  } else if (exponent < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
  } else {
    const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits;
      out.append(whole - digits.size(), '0');
    } else {
      out.append(digits, 0, whole);
      out += '.';
      out.append(digits, whole);
    }
  }
  return out;
}

std::optional<float> parsePositionValue(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
      return std::nullopt; // one sign at most
  }
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
