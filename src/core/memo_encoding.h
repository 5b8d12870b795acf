// Which encoding memo.txt is kept in: code page 932 (Shift-JIS), as every
// file the program creates, or UTF-8, as Notepad and most editors save text
// now. The rule that tells them apart, and which encoding each line is read
// in, are written here and nowhere else. Portable: no Windows headers.
#pragma once

#include "core/cp932.h"
#include "core/memo_lines.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tallynix {

enum class Encoding { shiftJis, utf8 };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// How a memo file reads: its encoding, and the byte order mark in front of
// its lines (0 or 3 bytes), which belongs to no line.
struct Reading {
  Encoding encoding = Encoding::shiftJis;
  std::size_t bomSize = 0;
  friend bool operator==(Reading, Reading) = default;
};

// The rule, from the file's bytes alone:
//  1. A byte order mark means UTF-8.
//  2. Otherwise all lines together decide. A line that is UTF-8 and cannot
//     be Shift-JIS means UTF-8: only a UTF-8 writer makes one. (Earlier
//     versions appended Shift-JIS lines to UTF-8 files; they stay readable.)
//  3. Otherwise the lines that read both ways are weighed: which reading is
//     Japanese text and which is mojibake. UTF-8 read as Shift-JIS leaves
//     rare kanji with single half-width katakana between them; Shift-JIS read
//     as UTF-8 leaves ideographs outside the common kanji, with ASCII glued
//     behind them. A line on which Shift-JIS wins clearly is a Shift-JIS
//     line. UTF-8 must win clearly over the rest, and by more for every
//     Shift-JIS line past the first (an earlier version may have appended
//     one to a UTF-8 file); in doubt a file is Shift-JIS, the program's own
//     format. An empty or ASCII-only file is Shift-JIS.
// The kanji and enclosed signs of either reading are weighed as code page 932
// has them.
Reading readingOf(std::string_view fileBytes, const Cp932 &codec);

// Whether a line of a file read as `reading` is read as UTF-8: in a UTF-8
// file every line that is well-formed UTF-8, the rest being Shift-JIS lines
// that earlier versions appended; without the byte order mark, not those on
// which Shift-JIS wins clearly either (rule 3). In a Shift-JIS file none.
bool readsAsUtf8(std::string_view lineBytes, Reading reading, const Cp932 &codec);
// The same for a line of a UTF-8 file that is known to be well-formed UTF-8
// (decoding it as UTF-8 has told), without checking that again.
bool wellFormedReadsAsUtf8(std::string_view lineBytes, Reading reading, const Cp932 &codec);

// Calls `onLine(lineBytes, utf8)` for each line of a file read as `reading`
// (the byte order mark left out), with the encoding that line reads in.
template <typename OnLine>
void forEachLineRead(std::string_view fileBytes, Reading reading, const Cp932 &codec,
                     OnLine onLine) {
  memo::forEachLine(fileBytes.substr(reading.bomSize), [&](std::string_view line) {
    onLine(line, readsAsUtf8(line, reading, codec));
  });
}

// Where the first `count` characters of a line end, in bytes: characters of
// UTF-8 or of code page 932 as the line is read, counted as the program's
// text counts them (a character past U+FFFF is two where wchar_t has 16 bits).
std::size_t charactersEnd(std::string_view lineBytes, int count, bool utf8Line);

// UTF-8 and the program's text (UTF-16 where wchar_t has 16 bits, UTF-32
// where it has 32).
namespace utf8 {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValid(std::string_view bytes);
// Appends the characters of `bytes` to `text`; false, and `text` as it was,
// when they are not valid UTF-8.
bool appendDecoded(std::string_view bytes, std::wstring &text);
// Any text: a lone surrogate, which is no character, becomes U+FFFD.
std::string encode(std::wstring_view text);

} // namespace utf8

} // namespace tallynix
