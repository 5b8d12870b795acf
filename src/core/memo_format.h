// The memo file's line format, as pure functions over text and bytes.
//
// One memo per line: its index in the "000" format (at least three digits),
// one space, the text, CR LF. A line ends at CR or CR LF; a bare LF is part
// of the text. Indexes below 1000 follow the positional rules the file has
// always had (text from the fifth character, match on the first three);
// four or more leading digits (not starting with 0) are read and matched as
// a whole number, so lists past 999 memos stay consistent.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallynix::memo {

// 0 -> "000", 42 -> "042", 1000 -> "1000". The index must not be negative.
std::string formatIndex(int index);

// The memo text a line holds (the line without its terminator).
std::wstring_view textOfLine(std::wstring_view line);

// Every line of a decoded memo file, as memo texts in file order.
std::vector<std::wstring> parseMemos(std::wstring_view fileText);

// The file bytes after dropping every line stored under `index` and
// numbering the remaining lines again from 000. The other lines keep their
// bytes exactly, including any that are not valid code page 932.
std::string removeIndex(std::string_view fileBytes, int index);

// One line of the file for a memo: index, space, text, CR LF.
std::string formatLine(int index, std::string_view encodedText);

// What to append to `fileBytes` to add a memo: the new line, numbered by the
// memos already in the file, so that no number appears twice even when
// another program added lines. A last line without its terminator gets its
// CR LF first, or the new memo would run into it.
std::string bytesToAppend(std::string_view fileBytes, std::string_view encodedText);

// The file bytes without the memo a user selected from a list that showed
// `text` at `index`, the rest numbered again from 000. `memos` are the
// file's memo texts, as parseMemos gives them. The selected line is the one
// at `index` if it still holds `text`, else the one line that holds it.
// Stored under `index`, it goes as removeIndex drops lines; otherwise it
// goes alone. Nothing when no line, or more than one, holds `text` away
// from `index`: the file changed and no longer says which memo was meant.
std::optional<std::string> removeSelected(std::string_view fileBytes,
                                          const std::vector<std::wstring> &memos, int index,
                                          std::wstring_view text);

// A memo is one line: each line break (CR LF, CR or LF) becomes one space,
// so a pasted text keeps all of its words.
std::wstring flattenLineBreaks(std::wstring_view text);

} // namespace tallynix::memo
