#include "core/memo_format.h"

#include "core/memo_lines.h"

#include <algorithm>
#include <cassert>
#include <charconv>

namespace tallynix::memo {
namespace {

template <typename Char> bool isDigit(Char c) { return c >= '0' && c <= '9'; }

// Indexes past 999 are written without leading zeros, so four or more
// digits starting with 0 are a three-digit index followed by digits (as a
// renumbered hand-edited line can be), read by the three-digit rules.
template <typename Char> bool hasLongIndex(std::basic_string_view<Char> line, std::size_t digits) {
  return digits >= 4 && line.front() != Char('0');
}

template <typename Char> std::size_t leadingDigits(std::basic_string_view<Char> line) {
  std::size_t n = 0;
  while (n < line.size() && isDigit(line[n]))
    ++n;
  return n;
}

// A NUL byte is a NUL in either encoding, never part of another character.
void showNuls(std::string_view bytes, std::wstring &text) {
  if (bytes.find('\0') != bytes.npos)
    std::replace(text.begin(), text.end(), L'\0', kShownNul);
}

} // namespace

std::string formatIndex(int index) {
  assert(index >= 0);
  char buffer[16];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, index);
  std::string digits(buffer, end);
  if (digits.size() < 3)
    digits.insert(0, 3 - digits.size(), '0');
  return digits;
}

std::wstring_view textOfLine(std::wstring_view line) {
  const std::size_t digits = leadingDigits(line);
  if (hasLongIndex(line, digits)) {
    std::wstring_view rest = line.substr(digits);
    if (!rest.empty() && rest.front() == L' ')
      rest.remove_prefix(1);
    return rest;
  }
  return line.size() > 4 ? line.substr(4) : std::wstring_view{};
}

std::vector<std::wstring> parseMemos(std::wstring_view fileText) {
  std::vector<std::wstring> memos;
  memos.reserve(static_cast<std::size_t>(std::count(fileText.begin(), fileText.end(), L'\r') + 1));
  forEachLine(fileText, [&](std::wstring_view line) { memos.emplace_back(textOfLine(line)); });
  return memos;
}

std::wstring decodeText(std::string_view bytes, bool utf8, const Cp932 &codec) {
  std::wstring text;
  if (!utf8 || !utf8::appendDecoded(bytes, text))
    text = codec.decode(bytes);
  showNuls(bytes, text);
  return text;
}

MemoFile decodeMemos(std::string_view fileBytes, const Cp932 &codec) {
  return decodeMemos(fileBytes, readingOf(fileBytes, codec), codec);
}

MemoFile decodeMemos(std::string_view fileBytes, Reading reading, const Cp932 &codec) {
  MemoFile file{reading, {}};
  if (reading.encoding == Encoding::shiftJis) {
    // Every line reads as Shift-JIS: the whole file in one call, as most
    // files are Shift-JIS, and large.
    file.memos = parseMemos(decodeText(fileBytes, false, codec));
    return file;
  }
  // Each line as readsAsUtf8 says, where decoding it as UTF-8 first tells
  // whether it is UTF-8 at all.
  memo::forEachLine(fileBytes.substr(reading.bomSize), [&](std::string_view bytes) {
    std::wstring text;
    if (!utf8::appendDecoded(bytes, text) || !wellFormedReadsAsUtf8(bytes, reading, codec))
      text = codec.decode(bytes);
    showNuls(bytes, text);
    file.memos.emplace_back(textOfLine(text));
  });
  return file;
}

std::string formatLine(int index, std::string_view encodedText) {
  std::string line = formatIndex(index);
  line.reserve(line.size() + 1 + encodedText.size() + 2);
  line += ' ';
  line += encodedText;
  line += "\r\n";
  return line;
}

std::string bytesToAppend(std::string_view fileBytes, Reading reading,
                          std::string_view encodedText) {
  const std::string_view body = fileBytes.substr(reading.bomSize);
  int memos = 0;
  forEachLine(body, [&](std::string_view) { ++memos; });
  // The reader ends a line at CR or CR LF; a bare LF is part of the text.
  const bool ended = body.empty() || body.ends_with('\r') || body.ends_with("\r\n");
  return (ended ? "" : "\r\n") + formatLine(memos, encodedText);
}

std::string removeAt(std::string_view fileBytes, Reading reading, std::size_t position,
                     const Cp932 &codec) {
  std::string out(fileBytes.substr(0, reading.bomSize));
  out.reserve(fileBytes.size());
  int kept = 0;
  std::size_t at = 0;
  forEachLineRead(fileBytes, reading, codec, [&](std::string_view line, bool utf8) {
    if (at++ == position)
      return;
    const std::string index = formatIndex(kept++);
    out += index;
    // A line under a three-digit number keeps its bytes behind the number
    // where they still read from its fifth character; any other line, such
    // as one typed by hand that starts with a date, gets the number and a
    // space in front of its text, so that it shows the same memo.
    const std::size_t digits = leadingDigits(line);
    const std::size_t fourth = charactersEnd(line, 3, utf8);
    if (index.size() == 3 && !hasLongIndex(line, digits) &&
        (fourth >= line.size() || !isDigit(line[fourth]))) {
      out += line.substr(fourth);
    } else {
      out += ' ';
      out += line.substr(hasLongIndex(line, digits)
                             ? digits + (digits < line.size() && line[digits] == ' ')
                             : charactersEnd(line, 4, utf8));
    }
    out += "\r\n";
  });
  return out;
}

std::optional<std::size_t> placeOfSelected(std::span<const std::wstring> memos, int index,
                                           std::wstring_view text) {
  assert(index >= 0);
  const auto position = static_cast<std::size_t>(index);
  if (position < memos.size() && memos[position] == text)
    return position;
  if (std::count(memos.begin(), memos.end(), text) != 1)
    return std::nullopt;
  return static_cast<std::size_t>(std::find(memos.begin(), memos.end(), text) - memos.begin());
}

std::wstring flattenLineBreaks(std::wstring_view text) {
  std::wstring flat;
  flat.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      flat += L' ';
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
        ++i;
    } else {
      flat += c;
    }
  }
  return flat;
}

} // namespace tallynix::memo
