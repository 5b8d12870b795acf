#include "core/memo_encoding.h"

#include "core/cp932.h"

#include <algorithm>
#include <cctype>

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

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
bool isHalfWidthKatakana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }
bool isAsciiLetter(char32_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// How unlikely a character is in a memo, in points. Each reading of a line
// adds up its characters' points; the lower sum is the likelier text.
constexpr int kText = 0;       // kana, punctuation, full-width forms, emoji
constexpr int kCommon = 1;     // kanji of JIS level 1, signs and symbols
constexpr int kRare = 3;       // kanji of JIS level 2, Greek, Cyrillic, Hangul
constexpr int kRarer = 4;      // extension kanji, a lone half-width katakana
constexpr int kNoCodePage = 5; // ideographs that no Japanese code page has
constexpr int kForeign = 6;    // scripts that Japanese text seldom holds
constexpr int kNever = 9;      // unassigned, private use, control characters
constexpr int kGlued = 4;      // an ideograph or symbol with ASCII from @ to ~ right behind
// UTF-8 must beat Shift-JIS by more than kDoubt over the lines that read both
// ways, and by kPerShiftJisLine more for every Shift-JIS line past the first.
// A line that reads both ways is a Shift-JIS line, in a file without the
// byte order mark, where Shift-JIS beats UTF-8 on it by more than kLineDoubt.
constexpr int kDoubt = 1;
constexpr int kPerShiftJisLine = 4;
constexpr int kLineDoubt = 2;

// A double-byte character of code page 932, by where it lies in the table.
int shiftJisPoints(unsigned lead, unsigned trail) {
  const unsigned code = lead << 8 | trail;
  const auto in = [code](unsigned first, unsigned last) { return code >= first && code <= last; };
  switch (lead) {
  case 0x81: // punctuation and signs
    return in(0x8140, 0x81AC) || in(0x81B8, 0x81BF) || in(0x81C8, 0x81CE) || in(0x81DA, 0x81E8) ||
                   in(0x81F0, 0x81F7) || code == 0x81FC
               ? kText
               : kNever;
  case 0x82: // full-width digits and letters, hiragana
    return in(0x824F, 0x8258) || in(0x8260, 0x8279) || in(0x8281, 0x829A) || in(0x829F, 0x82F1)
               ? kText
               : kNever;
  case 0x83: // katakana, Greek
    return in(0x8340, 0x8396) ? kText : in(0x839F, 0x83B6) || in(0x83BF, 0x83D6) ? kRare : kNever;
  case 0x84: // Cyrillic, box drawing
    return in(0x8440, 0x8460) || in(0x8470, 0x8491) || in(0x849F, 0x84BE) ? kRare : kNever;
  case 0x87: // circled numbers, units, era names
    return in(0x8740, 0x875D) || in(0x875F, 0x8775) || in(0x877E, 0x879C) ? kCommon : kNever;
  default:
    break;
  }
  if (in(0x889F, 0x9872))
    return kCommon;
  if (in(0x989F, 0xEAA4))
    return kRare;
  if ((in(0xED40, 0xEEFC) && code != 0xEEED && code != 0xEEEE) || in(0xFA40, 0xFC4B))
    return kRarer; // the extension kanji of NEC and IBM
  return kNever;   // unassigned rows and the user-defined area
}

// The points of a line read as Shift-JIS; -1 where it cannot be code page
// 932 at all (a lead byte without its trail byte, a byte 932 does not use).
long long shiftJisPoints(std::string_view line) {
  long long points = 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(line[i]); };
  bool afterPair = false; // the character before was a double-byte one
  for (std::size_t i = 0; i < line.size(); ++i) {
    const unsigned char b = byte(i);
    if (b < 0x80) {
      afterPair = false;
      continue;
    }
    if (isHalfWidthKatakana(b)) {
      // Product names run in half-width katakana. UTF-8 read as Shift-JIS
      // leaves one or two right after a kanji (its continuation bytes), and
      // pairs inside words of ASCII letters (Müller reads Mﾃｼller).
      std::size_t end = i;
      while (end < line.size() && isHalfWidthKatakana(byte(end)))
        ++end;
      const int letters =
          (i > 0 && isAsciiLetter(byte(i - 1))) + (end < line.size() && isAsciiLetter(byte(end)));
      const std::size_t run = end - i;
      const int each = run == 1 || (run == 2 && (afterPair || letters == 2)) ? kRarer
                       : run == 2                                            ? kCommon + letters
                                                                             : kCommon;
      points += each * static_cast<long long>(run);
      i = end - 1;
      afterPair = false;
      continue;
    }
    if (!isLeadByte(b) || i + 1 == line.size() || !isTrailByte(byte(i + 1)))
      return -1;
    points += shiftJisPoints(b, byte(i + 1));
    ++i;
    afterPair = true;
  }
  return points;
}

bool isIdeograph(char32_t c) {
  return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0x20000 && c <= 0x3FFFF);
}

// An ideograph or an enclosed sign of the Basic Multilingual Plane read as
// UTF-8: as code page 932 has it (a kanji of level 1, of level 2, of the
// extensions; 仝, which it keeps among the signs, as a kanji of level 1), or
// `otherwise` where it has no double-byte form. Asking the codec costs more
// than the rest of the weighing: callers that can decide from the bounds,
// kCommon and `otherwise`, pass another `codePage` (see readsAsUtf8).
struct AsCodePageHasIt {
  const Cp932 &codec;
  int operator()(char32_t c, int otherwise) const {
    const std::optional<std::string> bytes = codec.encode(std::wstring(1, static_cast<wchar_t>(c)));
    if (!bytes || bytes->size() != 2)
      return otherwise;
    return std::clamp(shiftJisPoints(static_cast<unsigned char>((*bytes)[0]),
                                     static_cast<unsigned char>((*bytes)[1])),
                      kCommon, otherwise);
  }
};

// Punctuation and symbols (U+2000 to U+2BFF) read as UTF-8: those that
// Japanese text and emoji use, and the rest.
int symbolPoints(char32_t c) {
  if (c == 0x20E3)
    return kText; // the keycap of 1️⃣
  if (c >= 0x20D0 && c < 0x2100)
    return kForeign; // combining marks for symbols
  if (c >= 0x2440 && c < 0x2460)
    return kForeign; // optical character recognition
  if (c >= 0x27C0 && c < 0x2B00)
    return kForeign; // Braille, supplemental arrows and maths
  if (c >= 0x2B60)
    return kForeign;
  // Punctuation, letterlike signs (℃ №), Roman numerals, arrows, maths,
  // circled numbers, boxes, shapes, stars and dingbats (★ ♪ ✔ ❤).
  return kCommon;
}

// A character of a line read as UTF-8; `besideLetter` when an ASCII letter
// stands right before or after it.
template <typename CodePage> int utf8Points(char32_t c, bool besideLetter, CodePage codePage) {
  if (c < 0x80)
    return kText;
  if (c < 0xA0)
    return kNever; // C1 control characters
  if (c < 0x250) {
    // Latin-1 signs (× ° ±) and accented letters: café, Tōkyō, Dvořák.
    // Shift-JIS half-width katakana pairs read as such letters too, but
    // seldom inside a word of ASCII letters.
    if (c < 0xC0 || c == 0xD7 || c == 0xF7)
      return kCommon;
    return besideLetter ? kCommon : kRarer;
  }
  if (c < 0x370)
    return kForeign; // IPA, spacing modifiers, combining marks
  if (c < 0x500) {
    // Greek and Cyrillic as code page 932 has them.
    const bool known = (c >= 0x391 && c <= 0x3C9) || c == 0x401 || (c >= 0x410 && c <= 0x451);
    return known ? kRare : kForeign;
  }
  if (c < 0x1E00)
    return c >= 0x1100 && c <= 0x11FF ? kRare : kNever; // Hangul jamo; Hebrew, Arabic, Indic...
  if (c < 0x1F00)
    return besideLetter ? kCommon : kRarer; // Latin extended additional: Vietnamese
  if (c < 0x2000)
    return kForeign;
  if (c < 0x2C00)
    return symbolPoints(c);
  if (c < 0x2E80)
    return kForeign;
  if (c < 0x3000)
    return kRarer; // radicals, as text copied from a PDF holds them: ⽇

  if (c < 0x3100)
    return kText; // CJK punctuation, hiragana, katakana
  if (c < 0x3200)
    return c >= 0x31F0 ? kText : kForeign; // small katakana; bopomofo, Hangul jamo, strokes
  if (c < 0x3400)
    return codePage(c, kRarer); // enclosed and squared signs: ㈱ ㍻ ㎝
  if (c < 0xA000)
    return codePage(c, kNoCodePage);
  if (c < 0xAC00)
    return kNever; // Yi and other scripts
  if (c < 0xD7B0)
    return kRare; // Hangul syllables
  if (c < 0xF900)
    return kNever; // private use
  if (c < 0xFB00)
    return codePage(c, kNoCodePage); // compatibility ideographs: 﨑
  if (c < 0xFB07)
    return besideLetter ? kCommon : kRarer; // ligatures of PDFs: ﬁle
  if (c < 0xFE00)
    return kNever;
  if (c < 0xFE10)
    return kText; // variation selectors: ❤️
  if (c < 0xFE70)
    return kRarer;
  if (c >= 0xFF00 && c < 0xFFF0)
    return kText; // full- and half-width forms
  if (c < 0x10000)
    return kNever;
  if (c >= 0x1F000 && c < 0x1FB00)
    return kText; // emoji
  if (c >= 0x20000 && c < 0x40000)
    return kNoCodePage; // rarer kanji, 𠮷 among them
  if (c >= 0xE0000 && c < 0xE01F0)
    return kText; // tags of flags, ideographic variation selectors
  return kNever;
}

// The points of a line read as UTF-8; the line is valid UTF-8.
template <typename CodePage> long long utf8Points(std::string_view line, CodePage codePage) {
  long long points = 0;
  char32_t before = 0;
  // Shift-JIS trail bytes from 0x40 on are ASCII: a kanji read as UTF-8 by
  // mistake leaves an ideograph or a symbol with the next one's trail byte
  // glued behind it (莉子 reads 从q). A symbol between ASCII words is no
  // such sign (NRT→LAX).
  bool mayBeGlued = false;
  for (std::size_t at = 0; at < line.size();) {
    const CodePoint c = decodeAt(line, at);
    at += c.length;
    if (c.value < 0x80) {
      if (mayBeGlued && c.value >= 0x40 && c.value <= 0x7E)
        points += kGlued;
      mayBeGlued = false;
      before = c.value;
      continue;
    }
    const bool afterWord = before < 0x80 && std::isalnum(static_cast<unsigned char>(before));
    mayBeGlued = isIdeograph(c.value) || (c.value >= 0x2070 && c.value < 0x2C00 && !afterWord);
    const bool after = at < line.size() && isAsciiLetter(static_cast<unsigned char>(line[at]));
    points += utf8Points(c.value, isAsciiLetter(before) || after, codePage);
    before = c.value;
  }
  return points;
}

std::size_t firstNonAscii(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
    ++i;
  return i;
}

// How a line reads, from its bytes alone: the same either way (ASCII), only
// as Shift-JIS, only as UTF-8, or both ways, with its points as Shift-JIS.
struct LineKind {
  enum Kind { ascii, shiftJis, utf8, both } kind;
  long long shiftJisPoints = 0;
};

LineKind kindOf(std::string_view line) {
  const std::size_t first = firstNonAscii(line);
  if (first == line.size())
    return {LineKind::ascii};
  // Most lines of a Shift-JIS file fail here, at their first kana or
  // kanji: its lead byte is no UTF-8.
  if (!utf8::isValid(line.substr(first)))
    return {LineKind::shiftJis};
  const long long shiftJis = shiftJisPoints(line);
  if (shiftJis < 0)
    return {LineKind::utf8};
  return {LineKind::both, shiftJis};
}

// Whether Shift-JIS wins clearly on a line that reads both ways: then it is
// one that an earlier version appended (莉子, UTF-8 从q), even in a file of
// UTF-8.
bool shiftJisWins(long long shiftJis, long long utf8) { return utf8 - shiftJis > kLineDoubt; }

} // namespace

Reading readingOf(std::string_view fileBytes, const Cp932 &codec) {
  if (fileBytes.starts_with(kUtf8Bom))
    return {Encoding::utf8, kUtf8Bom.size()};
  bool utf8Only = false;
  long long shiftJisLines = 0;
  long long lead = 0; // how far UTF-8 leads over the lines that read both ways
  memo::forEachLine(fileBytes, [&](std::string_view line) {
    const LineKind kind = kindOf(line);
    if (kind.kind == LineKind::both) {
      const long long utf8 = utf8Points(line, AsCodePageHasIt{codec});
      if (!shiftJisWins(kind.shiftJisPoints, utf8)) {
        lead += kind.shiftJisPoints - utf8;
        return true;
      }
    }
    shiftJisLines += kind.kind == LineKind::shiftJis || kind.kind == LineKind::both;
    utf8Only = kind.kind == LineKind::utf8;
    return !utf8Only;
  });
  if (utf8Only || lead > kDoubt + kPerShiftJisLine * std::max(0LL, shiftJisLines - 1))
    return {Encoding::utf8, 0};
  return {Encoding::shiftJis, 0};
}

bool readsAsUtf8(std::string_view lineBytes, Reading reading, const Cp932 &codec) {
  return reading.encoding == Encoding::utf8 && utf8::isValid(lineBytes) &&
         wellFormedReadsAsUtf8(lineBytes, reading, codec);
}

bool wellFormedReadsAsUtf8(std::string_view lineBytes, Reading reading, const Cp932 &codec) {
  if (reading.bomSize > 0)
    return true;
  const long long shiftJis = shiftJisPoints(lineBytes);
  if (shiftJis < 0)
    return true;
  // Most lines are told by the bounds of what code page 932 says of their
  // ideographs, without asking it.
  const auto most = [](char32_t, int most) { return most; };
  if (!shiftJisWins(shiftJis, utf8Points(lineBytes, most)))
    return true;
  const auto least = [](char32_t, int) { return kCommon; };
  if (shiftJisWins(shiftJis, utf8Points(lineBytes, least)))
    return false;
  return !shiftJisWins(shiftJis, utf8Points(lineBytes, AsCodePageHasIt{codec}));
}

std::size_t charactersEnd(std::string_view lineBytes, int count, bool utf8Line) {
  std::size_t i = 0;
  for (; count > 0 && i < lineBytes.size(); --count) {
    if (utf8Line) {
      const std::size_t length = decodeAt(lineBytes, i).length;
      count -= sizeof(wchar_t) == 2 && length == 4 && count > 1;
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
