// Which encoding memo.txt is kept in: code page 932 (Shift-JIS), as every
// file the program creates, or UTF-8, as Notepad and most editors save text
// now. The rule that tells them apart is written here and nowhere else.
// Portable: no Windows headers.
#pragma once

#include <string>
#include <string_view>

namespace tallynix {

enum class Encoding { shiftJis, utf8 };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The file without its byte order mark, which belongs to no line.
inline std::string_view withoutBom(std::string_view fileBytes) {
  return fileBytes.starts_with(kUtf8Bom) ? fileBytes.substr(kUtf8Bom.size()) : fileBytes;
}

// A memo file is UTF-8 when it says so plainly, and code page 932 otherwise
// (an empty or missing file too):
//  1. it starts with the UTF-8 byte order mark; or
//  2. all of its bytes are valid UTF-8, at least one character takes three
//     or four bytes (every kana, kanji and emoji does), and every character
//     is one that Japanese text holds (see isJapaneseText). Two-byte
//     characters alone never decide: half-width katakana pairs are valid
//     UTF-8 too (ﾃｽ is C3 BD, "ý"), and Shift-JIS text that happens to read
//     as UTF-8 gives Latin Extended letters, combining marks and scripts
//     such as Georgian or Hangul; or
//  3. one of its lines is valid UTF-8 with a character of three or four
//     bytes and is no code page 932 text at all (a lead byte without its
//     trail byte, a byte 932 does not use): a UTF-8 file that an earlier
//     version appended Shift-JIS lines to.
Encoding encodingOf(std::string_view fileBytes);

// Whether a line of a file in `file`'s encoding is read as UTF-8. In a UTF-8
// file the lines that are not valid UTF-8 are Shift-JIS lines that earlier
// versions appended; they are read as such.
bool isUtf8Line(std::string_view lineBytes, Encoding file);

// Where the first `count` characters of a line end, in bytes: characters of
// UTF-8 or of code page 932 as the line is read.
std::size_t charactersEnd(std::string_view lineBytes, int count, bool utf8Line);

// The bytes to write over a UTF-8 memo file: with the byte order mark in
// front where they would no longer tell UTF-8 by themselves (no memos left,
// only two-byte characters), so that a UTF-8 file stays UTF-8 through every
// change the program makes.
std::string keepingUtf8(std::string bytes);

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
