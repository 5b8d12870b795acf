// Memo files for the benchmarks: typical one-line memos, Japanese mixed with
// ASCII, numbered and terminated as the program writes them, in code page 932.
#pragma once

#include <string>

namespace bench {

// The text of memo number `i` (deterministic), as UTF-32 wchar_t.
std::wstring typicalMemo(int i);

// The bytes of a memo file holding `count` memos "000 text\r\n", ..., in
// code page 932, or in UTF-8 as Notepad saves it.
std::string memoFileBytes(int count, bool utf8 = false);

// Writes `bytes` to `path`, replacing it. Throws on failure.
void writeFile(const std::string &path, const std::string &bytes);

// The whole content of `path`. Throws on failure.
std::string readFile(const std::string &path);

} // namespace bench
