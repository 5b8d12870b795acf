#include "core/memo_format.h"

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

// Calls `onLine` for every line of `text`. A line ends at CR or CR LF; the
// last line needs no terminator, and a terminator at the very end starts no
// further line.
template <typename Char, typename OnLine>
void forEachLine(std::basic_string_view<Char> text, OnLine onLine) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t cr = text.find(Char('\r'), start);
    if (cr == text.npos) {
      onLine(text.substr(start));
      return;
    }
    onLine(text.substr(start, cr - start));
    start = cr + 1;
    if (start < text.size() && text[start] == Char('\n'))
      ++start;
  }
}

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Byte offset just past the first `count` code page 932 characters.
std::size_t skipCharacters(std::string_view bytes, int count) {
  std::size_t i = 0;
  for (; count > 0 && i < bytes.size(); --count) {
    const bool pair = isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() &&
                      isTrailByte(static_cast<unsigned char>(bytes[i + 1]));
    i += pair ? 2 : 1;
  }
  return i;
}

// Whether a run of decimal digits (any length) denotes `index`.
bool digitsEqual(std::string_view digits, int index) {
  const std::size_t firstNonZero = digits.find_first_not_of('0');
  const std::string_view significant =
      firstNonZero == digits.npos ? std::string_view{} : digits.substr(firstNonZero);
  char buffer[16];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, index);
  const std::string_view wanted =
      index == 0 ? std::string_view{} : std::string_view(buffer, end - buffer);
  return significant == wanted;
}

// Whether a line is stored under `index`: by its whole number after four or
// more digits, otherwise by its first three characters.
bool isStoredUnder(std::string_view line, int index) {
  const std::size_t digits = leadingDigits(line);
  if (hasLongIndex(line, digits))
    return digitsEqual(line.substr(0, digits), index);
  // Digits are never trail bytes, so comparing the first three bytes with
  // the key compares the first three characters.
  return line.substr(0, 3) == formatIndex(index);
}

// The file without the lines `drop(position, line)` picks, the others
// numbered again from 000, each ended with CR LF.
template <typename Drop> std::string removeLines(std::string_view fileBytes, Drop drop) {
  std::string out;
  out.reserve(fileBytes.size());
  int kept = 0;
  std::size_t position = 0;
  forEachLine(fileBytes, [&](std::string_view line) {
    if (drop(position++, line))
      return;
    const std::size_t digits = leadingDigits(line);
    out += formatIndex(kept++);
    out += hasLongIndex(line, digits) ? line.substr(digits) : line.substr(skipCharacters(line, 3));
    out += "\r\n";
  });
  return out;
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

std::string removeIndex(std::string_view fileBytes, int index) {
  assert(index >= 0);
  return removeLines(
      fileBytes, [&](std::size_t, std::string_view line) { return isStoredUnder(line, index); });
}

std::string formatLine(int index, std::string_view encodedText) {
  std::string line = formatIndex(index);
  line.reserve(line.size() + 1 + encodedText.size() + 2);
  line += ' ';
  line += encodedText;
  line += "\r\n";
  return line;
}

std::string bytesToAppend(std::string_view fileBytes, std::string_view encodedText) {
  int memos = 0;
  forEachLine(fileBytes, [&](std::string_view) { ++memos; });
  // The reader ends a line at CR or CR LF; a bare LF is part of the text.
  const bool ended = fileBytes.empty() || fileBytes.ends_with('\r') || fileBytes.ends_with("\r\n");
  return (ended ? "" : "\r\n") + formatLine(memos, encodedText);
}

std::optional<std::string> removeSelected(std::string_view fileBytes,
                                          const std::vector<std::wstring> &memos, int index,
                                          std::wstring_view text) {
  assert(index >= 0);
  const auto position = static_cast<std::size_t>(index);
  std::size_t at = memos.size();
  if (position < memos.size() && memos[position] == text) {
    at = position;
  } else if (std::count(memos.begin(), memos.end(), text) == 1) {
    at = static_cast<std::size_t>(std::find(memos.begin(), memos.end(), text) - memos.begin());
  }
  if (at == memos.size())
    return std::nullopt;
  bool storedUnderIndex = false;
  std::size_t line = 0;
  forEachLine(fileBytes, [&](std::string_view bytes) {
    if (line++ == at)
      storedUnderIndex = at == position && isStoredUnder(bytes, index);
  });
  // Where the list and the file still agree, the delete is the one it has
  // always been; elsewhere only the selected line goes.
  if (storedUnderIndex)
    return removeIndex(fileBytes, index);
  return removeLines(fileBytes, [at](std::size_t k, std::string_view) { return k == at; });
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
