#include "floor_memo.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace bench::floor {
namespace {

[[noreturn]] void fail(const char *what, const std::string &path) {
  throw std::runtime_error(std::string(what) + " " + path + ": " + std::strerror(errno));
}

std::string readBytes(const std::string &path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    fail("open", path);
  struct stat info {};
  ::fstat(fd, &info);
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (got <= 0)
      break;
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  bytes.resize(done);
  return bytes;
}

void writeBytes(int fd, const char *data, std::size_t size, const std::string &path) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0)
      fail("write", path);
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

// The index in the "000" form, written at `out`; returns the end.
char *putIndex(char *out, int index) {
  char digits[16];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, index);
  for (std::ptrdiff_t pad = 3 - (end - digits); pad > 0; --pad)
    *out++ = '0';
  std::memcpy(out, digits, static_cast<std::size_t>(end - digits));
  return out + (end - digits);
}

} // namespace

Codec::Codec() : toWide_(iconv_open("WCHAR_T", "CP932")), toBytes_(iconv_open("CP932", "WCHAR_T")) {
  if (toWide_ == reinterpret_cast<iconv_t>(-1) || toBytes_ == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error("iconv cannot convert CP932");
}

Codec::~Codec() {
  iconv_close(toWide_);
  iconv_close(toBytes_);
}

std::vector<std::wstring> readAll(const std::string &path, const Codec &codec) {
  std::string bytes = readBytes(path);
  std::wstring text(bytes.size(), L'\0');
  char *in = bytes.data();
  std::size_t inLeft = bytes.size();
  char *out = reinterpret_cast<char *>(text.data());
  std::size_t outLeft = text.size() * sizeof(wchar_t);
  iconv(codec.toWide(), &in, &inLeft, &out, &outLeft);
  text.resize(text.size() - outLeft / sizeof(wchar_t));

  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    const std::size_t next = end == std::wstring::npos ? text.size() : end + 1;
    if (end == std::wstring::npos)
      end = text.size();
    if (end > start && text[end - 1] == L'\r')
      --end;
    lines.emplace_back(text.data() + start, end - start);
    start = next;
  }
  return lines;
}

void append(const std::string &path, int index, std::wstring_view text, const Codec &codec) {
  std::string line(16 + text.size() * 2 + 2, '\0');
  char *out = putIndex(line.data(), index);
  *out++ = ' ';
  char *in = reinterpret_cast<char *>(const_cast<wchar_t *>(text.data()));
  std::size_t inLeft = text.size() * sizeof(wchar_t);
  std::size_t outLeft = line.size() - static_cast<std::size_t>(out - line.data()) - 2;
  if (iconv(codec.toBytes(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
    throw std::runtime_error("text not representable in CP932");
  *out++ = '\r';
  *out++ = '\n';
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0)
    fail("open", path);
  writeBytes(fd, line.data(), static_cast<std::size_t>(out - line.data()), path);
  ::close(fd);
}

void removeLine(const std::string &path, int index) {
  const std::string bytes = readBytes(path);
  std::string result(bytes.size() + 16, '\0');
  char *out = result.data();
  int kept = 0;
  const char *p = bytes.data();
  const char *const end = p + bytes.size();
  while (p < end) {
    const char *nl =
        static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const char *next = nl ? nl + 1 : end;
    const char *digits = p;
    int number = 0;
    while (digits < next && *digits >= '0' && *digits <= '9')
      number = number * 10 + (*digits++ - '0');
    if (number != index || digits == p) {
      if (static_cast<std::size_t>(out - result.data()) + 16 +
              static_cast<std::size_t>(next - digits) >
          result.size()) {
        const std::size_t used = static_cast<std::size_t>(out - result.data());
        result.resize(result.size() * 2 + 64);
        out = result.data() + used;
      }
      out = putIndex(out, kept++);
      std::memcpy(out, digits, static_cast<std::size_t>(next - digits));
      out += next - digits;
    }
    p = next;
  }
  const std::string temporary = path + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0)
    fail("open", temporary);
  writeBytes(fd, result.data(), static_cast<std::size_t>(out - result.data()), temporary);
  if (::fsync(fd) != 0)
    fail("fsync", temporary);
  ::close(fd);
  if (std::rename(temporary.c_str(), path.c_str()) != 0)
    fail("rename", path);
}

} // namespace bench::floor
