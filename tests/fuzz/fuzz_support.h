// What the fuzz targets share: a reference reading of the memo file's line
// rules written apart from the product code, a file system in memory for
// MemoStore, a scratch folder for the real one, and a check that stops the
// run with a message libFuzzer reports as a crash.
#pragma once

#include "core/file_system.h"
#include "unit/test_files.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iconv.h>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fuzz {

[[noreturn]] inline void failed(const char *file, int line, const char *what) {
  std::fprintf(stderr, "\nFUZZ CHECK FAILED %s:%d: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition))                                                                              \
      ::fuzz::failed(__FILE__, __LINE__, #condition);                                              \
  } while (false)

// The lines of a memo file, split byte by byte: CR ends a line, so does
// CR LF (one terminator), a bare LF belongs to the line, the last line
// needs no terminator and a terminator at the very end opens no new line.
template <typename Char>
std::vector<std::basic_string_view<Char>> splitLines(std::basic_string_view<Char> text) {
  std::vector<std::basic_string_view<Char>> lines;
  std::size_t start = 0;
  bool open = false; // bytes seen since the last terminator
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == Char('\r')) {
      lines.push_back(text.substr(start, i - start));
      if (i + 1 < text.size() && text[i + 1] == Char('\n'))
        ++i;
      start = i + 1;
      open = false;
    } else {
      open = true;
    }
  }
  if (open)
    lines.push_back(text.substr(start));
  return lines;
}

template <typename Char> std::size_t countDigits(std::basic_string_view<Char> line) {
  std::size_t n = 0;
  while (n < line.size() && line[n] >= Char('0') && line[n] <= Char('9'))
    ++n;
  return n;
}

// The index in its file spelling: at least three digits.
inline std::string indexText(int index) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%03d", index);
  return buffer;
}

// A code page 932 lead byte and a byte that may follow one.
inline bool isLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool isTrail(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// UTF-8 read by glibc's iconv, apart from the program's own decoder: the
// text, or nothing when the bytes are not well-formed UTF-8. glibc takes
// code points past U+10FFFF too, which Unicode does not.
inline std::optional<std::wstring> decodeUtf8(std::string_view bytes) {
  static const iconv_t converter = iconv_open("WCHAR_T", "UTF-8");
  std::wstring text(bytes.size(), L'\0');
  char *in = const_cast<char *>(bytes.data());
  std::size_t inLeft = bytes.size();
  char *out = reinterpret_cast<char *>(text.data());
  std::size_t outLeft = text.size() * sizeof(wchar_t);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
    return std::nullopt;
  text.resize(text.size() - outLeft / sizeof(wchar_t));
  for (const wchar_t c : text)
    if (static_cast<std::uint32_t>(c) > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      return std::nullopt;
  return text;
}

inline constexpr std::string_view kBom = "\xEF\xBB\xBF";

using MemoryFiles = tallynix::testing::MemoryFileSystem;

// A folder of this process's own for the real file system, removed when the
// process ends normally. It lies in $TALLYNIX_FUZZ_SCRATCH when that is set
// (scripts/fuzz points it at a folder it removes itself, so that a crashed
// run leaves nothing behind), else in memory-backed /dev/shm where there is
// one, else in the temporary folder.
class ScratchFolder {
public:
  ScratchFolder() {
    std::error_code ec;
    const char *chosen = std::getenv("TALLYNIX_FUZZ_SCRATCH");
    std::filesystem::path base = chosen && *chosen ? chosen : "/dev/shm";
    if (!std::filesystem::is_directory(base, ec) || access(base.c_str(), W_OK) != 0)
      base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "tallynix-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      failed(__FILE__, __LINE__, "cannot create a scratch folder");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const char *name) const { return (path_ / name).string(); }
  const std::filesystem::path &path() const { return path_; }

private:
  std::filesystem::path path_;
};

// Whether an input also goes through a real file: one in eight (by its
// last byte) and the empty one, so that the system calls do not halve the
// speed of the search.
inline bool throughRealFile(const std::uint8_t *data, std::size_t size) {
  return size == 0 || data[size - 1] % 8 == 0;
}

inline void writeFile(const std::string &path, std::string_view bytes) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  FUZZ_CHECK(std::fclose(f) == 0);
}

} // namespace fuzz
