// The floor: the least that any reader, appender and deleter of a memo file
// in code page 932 must do, written plainly against POSIX and iconv. The
// program's own memo store is measured beside these.
//
//   readAll        one read of the whole file, one iconv conversion to
//                  wchar_t, a split at the line ends into strings;
//   append         one iconv conversion of the text, its number in front,
//                  one write to the file opened for appending;
//   removeLine     one read, one pass that drops a line and numbers the
//                  others again, and a durable replace (write a temporary
//                  file, flush it to disk, rename it over the file), as a
//                  deleter that never loses memos on a crash must.
#pragma once

#include <iconv.h>
#include <string>
#include <string_view>
#include <vector>

namespace bench::floor {

class Codec {
public:
  Codec();
  ~Codec();
  Codec(const Codec &) = delete;
  Codec &operator=(const Codec &) = delete;
  iconv_t toWide() const { return toWide_; }
  iconv_t toBytes() const { return toBytes_; }

private:
  iconv_t toWide_;
  iconv_t toBytes_;
};

std::vector<std::wstring> readAll(const std::string &path, const Codec &codec);
void append(const std::string &path, int index, std::wstring_view text, const Codec &codec);
void removeLine(const std::string &path, int index);

} // namespace bench::floor
