// The stored position's number text. The input is read twice: as a stored
// text for parsePositionValue, and (its first four bytes) as the bits of a
// float for formatPositionValue. Checks:
// - parsing gives nothing or a finite number, and a number only for a text
//   that the C library's strtof reads whole (after the blanks around it) to
//   the very same float, and every plain decimal that strtof reads without
//   overflow or underflow parses;
// - formatting gives exactly what printf's "%.7G" gives (seven significant
//   digits, no trailing zeros, "E" for the exponent), "0" for either zero;
// - the formatted text parses back to a finite float within half a unit of
//   the seventh digit (and half a float step) of the value, and exactly to
//   it when the value needs no more than seven digits, which covers every
//   position a window can have.
#include "fuzz_support.h"

#include "core/position.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace {

using tallynix::formatPositionValue;
using tallynix::parsePositionValue;

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

// An optional sign, digits with at most one point (at least one digit), and
// an optional exponent: "e" or "E", an optional sign, at least one digit.
bool isPlainDecimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    ++i;
  std::size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9')
      ++digits;
    else if (text[i] == '.' && !point)
      point = true;
    else
      break;
  }
  if (digits == 0)
    return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      ++i;
    std::size_t exponentDigits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      ++exponentDigits;
    if (exponentDigits == 0)
      return false;
  }
  return i == text.size();
}

bool sameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Strtof {
  float value = 0;
  bool whole = false; // read the whole text
  bool inRange = false;
};

Strtof cStrtof(std::string_view text) {
  const std::string copy(text); // strtof needs the terminating NUL
  Strtof result;
  char *end = nullptr;
  errno = 0;
  result.value = std::strtof(copy.c_str(), &end);
  result.inRange = errno == 0;
  result.whole =
      !copy.empty() && end == copy.c_str() + copy.size() && copy.find('\0') == std::string::npos;
  return result;
}

void checkParse(std::string_view text) {
  const std::optional<float> parsed = parsePositionValue(text);
  const std::string_view core = trimBlanks(text);
  const Strtof reference = cStrtof(core);
  if (parsed) {
    FUZZ_CHECK(std::isfinite(*parsed));
    FUZZ_CHECK(reference.whole);
    FUZZ_CHECK(sameFloat(*parsed, reference.value));
  }
  if (isPlainDecimal(core) && reference.whole && reference.inRange &&
      std::isfinite(reference.value)) {
    FUZZ_CHECK(parsed.has_value());
  }
}

// Whether the shortest text that reads back as `value` has at most seven
// significant digits.
bool needsAtMostSevenDigits(float value) {
  char buffer[64];
  for (int digits = 1; digits <= 7; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, static_cast<double>(value));
    if (std::strtof(buffer, nullptr) == value)
      return true;
  }
  return false;
}

void checkFormat(float value) {
  if (!std::isfinite(value))
    return;
  const std::string text = formatPositionValue(value);
  char reference[64];
  std::snprintf(reference, sizeof reference, "%.7G", static_cast<double>(value));
  FUZZ_CHECK(text == (value == 0 ? "0" : reference));

  const std::optional<float> back = parsePositionValue(text);
  FUZZ_CHECK(back.has_value());
  FUZZ_CHECK(std::isfinite(*back));
  const double error = std::fabs(static_cast<double>(*back) - static_cast<double>(value));
  FUZZ_CHECK(error <= std::fabs(static_cast<double>(value)) * 1e-6 +
                          std::numeric_limits<float>::denorm_min());
  if (needsAtMostSevenDigits(value))
    FUZZ_CHECK(*back == value);
  if (value == std::trunc(value) && std::fabs(value) < 1e7f)
    FUZZ_CHECK(*back == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  checkParse(text);
  if (const std::optional<float> parsed = parsePositionValue(text))
    checkFormat(*parsed);
  if (size >= 4) {
    float bits;
    std::memcpy(&bits, data, sizeof bits);
    checkFormat(bits);
  }
  return 0;
}
