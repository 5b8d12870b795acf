#include "core/memo_encoding.h"

#include "core/memo_lines.h"

#include <algorithm>
#include <array>

namespace tallynix {
namespace {

// A character at the start of some bytes: its code point and its length in
// bytes; a length of 0 where no well-formed UTF-8 character starts.
struct CodePoint {
  char32_t value = 0;
  std::size_t length = 0;
};

CodePoint decodeAt(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[at + k]); };
  const unsigned char first = byte(0);
  if (first < 0x80)
    return {first, 1};
  // The first byte gives the length and, for a few leads, a narrower range
  // of the second byte: that rules out overlong forms, surrogates and code
  // points past U+10FFFF.
  std::size_t length = 0;
  char32_t value = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    value = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    value = first & 0x0F;
    low = first == 0xE0 ? 0xA0 : 0x80;
    high = first == 0xED ? 0x9F : 0xBF;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    value = first & 0x07;
    low = first == 0xF0 ? 0x90 : 0x80;
    high = first == 0xF4 ? 0x8F : 0xBF;
  } else {
    return {};
  }
  if (bytes.size() - at < length)
    return {};
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = byte(k);
    if (next < low || next > high)
      return {};
    low = 0x80;
    high = 0xBF;
    value = value << 6 | (next & 0x3F);
  }
  return {value, length};
}

// Calls `onCharacter(code point)` for each character of `bytes` while it
// returns true; false when the bytes are not valid UTF-8.
template <typename OnCharacter>
bool forEachCharacter(std::string_view bytes, OnCharacter onCharacter) {
  for (std::size_t at = 0; at < bytes.size();) {
    const CodePoint c = decodeAt(bytes, at);
    if (c.length == 0)
      return false;
    if (!onCharacter(c.value))
      return true;
    at += c.length;
  }
  return true;
}

struct Range {
  char32_t first, last;
};

// Characters that Japanese text written as UTF-8 holds. Shift-JIS bytes read
// as UTF-8 by mistake give others: Latin Extended letters, combining marks,
// Georgian, Hangul, unassigned planes.
// The most frequent first.
constexpr std::array<Range, 12> kJapaneseText{{
    {0x0000, 0x007F},   // ASCII, control characters and line ends included
    {0x3000, 0x9FFF},   // CJK punctuation, kana, enclosed signs, kanji
    {0xFF00, 0xFFEF},   // full- and half-width forms
    {0x2000, 0x2BFF},   // punctuation, letterlike signs, arrows, maths, boxes, shapes
    {0x00A0, 0x00FF},   // Latin-1 signs and letters: × ÷ ° ± § ¶ é
    {0x0391, 0x03A9},   // Greek capitals ...
    {0x03B1, 0x03C1},   // ... and small letters, as Shift-JIS has them
    {0x03C3, 0x03C9},   //
    {0x0401, 0x0451},   // Cyrillic
    {0xF900, 0xFAFF},   // compatibility kanji
    {0x1F000, 0x1FAFF}, // emoji
    {0x20000, 0x3FFFF}, // rarer kanji
}};

bool isJapaneseText(char32_t c) {
  return std::any_of(kJapaneseText.begin(), kJapaneseText.end(),
                     [c](Range r) { return c >= r.first && c <= r.last; });
}

// Rule 2: valid UTF-8, a character of three or four bytes, and nothing but
// Japanese text.
bool readsAsJapaneseUtf8(std::string_view bytes) {
  bool wide = false;
  bool japanese = true;
  const bool valid = forEachCharacter(bytes, [&](char32_t c) {
    wide = wide || c >= 0x800;
    japanese = c < 0x80 || isJapaneseText(c);
    return japanese;
  });
  return valid && japanese && wide;
}

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Whether bytes can be code page 932 text at all: every lead byte has its
// trail byte, and no byte is one that 932 does not use (80, A0, FD to FF).
bool isCp932Text(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF))
      continue;
    if (!isLeadByte(b) || i + 1 == bytes.size() ||
        !isTrailByte(static_cast<unsigned char>(bytes[i + 1])))
      return false;
    ++i;
  }
  return true;
}

// Rule 3, for one line. Most lines of a Shift-JIS file fail at their first
// byte past the ASCII number, which is no UTF-8.
bool isPlainlyUtf8(std::string_view line) {
  std::size_t ascii = 0;
  while (ascii < line.size() && static_cast<unsigned char>(line[ascii]) < 0x80)
    ++ascii;
  if (ascii == line.size() || decodeAt(line, ascii).length == 0)
    return false;
  bool wide = false;
  const bool valid = forEachCharacter(line.substr(ascii), [&](char32_t c) {
    wide = wide || c >= 0x800;
    return true;
  });
  return valid && wide && !isCp932Text(line);
}

} // namespace

Encoding encodingOf(std::string_view fileBytes) {
  if (fileBytes.starts_with(kUtf8Bom) || readsAsJapaneseUtf8(fileBytes))
    return Encoding::utf8;
  bool mixed = false;
  memo::forEachLine(fileBytes, [&](std::string_view line) {
    if (!mixed)
      mixed = isPlainlyUtf8(line);
  });
  return mixed ? Encoding::utf8 : Encoding::shiftJis;
}

bool isUtf8Line(std::string_view lineBytes, Encoding file) {
  return file == Encoding::utf8 && utf8::isValid(lineBytes);
}

std::size_t charactersEnd(std::string_view lineBytes, int count, bool utf8Line) {
  std::size_t i = 0;
  for (; count > 0 && i < lineBytes.size(); --count) {
    if (utf8Line) {
      const std::size_t length = decodeAt(lineBytes, i).length;
      i += length ? length : 1;
      continue;
    }
    const bool pair = isLeadByte(static_cast<unsigned char>(lineBytes[i])) &&
                      i + 1 < lineBytes.size() &&
                      isTrailByte(static_cast<unsigned char>(lineBytes[i + 1]));
    i += pair ? 2 : 1;
  }
  return i;
}

std::string keepingUtf8(std::string bytes) {
  if (encodingOf(bytes) == Encoding::utf8)
    return bytes;
  return std::string(kUtf8Bom) + bytes;
}

namespace utf8 {

bool isValid(std::string_view bytes) {
  return forEachCharacter(bytes, [](char32_t) { return true; });
}

bool appendDecoded(std::string_view bytes, std::wstring &text) {
  const std::size_t before = text.size();
  text.reserve(before + bytes.size());
  const bool valid = forEachCharacter(bytes, [&](char32_t c) {
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
      text += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text += static_cast<wchar_t>(c);
    }
    return true;
  });
  if (!valid)
    text.resize(before);
  return valid;
}

std::string encode(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<char32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
    if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
      c = 0xFFFD;
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if (c < 0x800) {
      bytes += static_cast<char>(0xC0 | c >> 6);
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      bytes += static_cast<char>(0xE0 | c >> 12);
      bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | c >> 18);
      bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return bytes;
}

} // namespace utf8

} // namespace tallynix
