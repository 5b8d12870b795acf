// The memo file's line format, as pure functions over text and bytes.
//
// One memo per line: its index in the "000" format (at least three digits),
// one space, the text, CR LF. A line ends at CR or CR LF; a bare LF is part
// of the text. Indexes below 1000 follow the positional rules the file has
// always had (text from the fifth character); four or more leading digits
// (not starting with 0) are read as a whole number, so lists past 999 memos
// stay consistent. The file is code page 932 or UTF-8 (see memo_encoding.h).
#pragma once

#include "core/cp932.h"
#include "core/memo_encoding.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tallynix::memo {

// How the list shows a NUL that a memo holds (a crash during a write can
// leave NUL bytes): a list item ends at its first NUL, and a memo must read
// back as the very text the list shows, or picking it would pick another.
inline constexpr wchar_t kShownNul = L'\u2400'; // ␀

// 0 -> "000", 42 -> "042", 1000 -> "1000". The index must not be negative.
std::string formatIndex(int index);

// The memo text a line holds (the line without its terminator).
std::wstring_view textOfLine(std::wstring_view line);

// Every line of a decoded memo file, as memo texts in file order.
std::vector<std::wstring> parseMemos(std::wstring_view fileText);

// A memo file as the user sees it.
struct MemoFile {
  Reading reading;
  std::vector<std::wstring> memos;
};

// The memos of a memo file's bytes: each line read in the encoding it was
// written in, the byte order mark belonging to no memo, a NUL shown as
// kShownNul. Everything that looks at the memos reads them through this.
MemoFile decodeMemos(std::string_view fileBytes, const Cp932 &codec);
// The same for bytes whose reading is known already (readingOf), so that
// they are not weighed twice.
MemoFile decodeMemos(std::string_view fileBytes, Reading reading, const Cp932 &codec);

// Bytes of a line or a memo as text, read as UTF-8 or as Shift-JIS, a NUL
// shown as kShownNul.
std::wstring decodeText(std::string_view bytes, bool utf8, const Cp932 &codec);

// One line of the file for a memo: index, space, text, CR LF.
std::string formatLine(int index, std::string_view encodedText);

// What to append to `fileBytes` to add a memo: the new line, numbered by the
// memos already in the file, so that no number appears twice even when
// another program added lines. A last line without its terminator gets its
// CR LF first, or the new memo would run into it.
// `reading`: how the file reads, as readingOf found it.
std::string bytesToAppend(std::string_view fileBytes, Reading reading,
                          std::string_view encodedText);

// The file bytes without the memo at `position` (its line, counting from 0),
// the other lines numbered again from 000, each ended with CR LF. Each shows
// the memo it showed before, and keeps the bytes of its text exactly,
// including any that are not valid text; so does a byte order mark.
// `reading`: how the file reads, as decodeMemos found it.
std::string removeAt(std::string_view fileBytes, Reading reading, std::size_t position,
                     const Cp932 &codec);

// Where the memo a user picked from a list that showed `text` at `index` is
// among the file's `memos` now: at `index` if that still holds `text`, else
// the one place that does. Nothing when no place, or more than one, holds it
// away from `index`: the file changed and no longer says which memo was meant.
std::optional<std::size_t> placeOfSelected(std::span<const std::wstring> memos, int index,
                                           std::wstring_view text);

// A memo is one line: each line break (CR LF, CR or LF) becomes one space,
// so a pasted text keeps all of its words.
std::wstring flattenLineBreaks(std::wstring_view text);

} // namespace tallynix::memo
