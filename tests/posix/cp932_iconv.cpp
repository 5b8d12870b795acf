// Code page 932 conversion for the native build, through iconv.
#include "core/cp932.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <stdexcept>

namespace tallynix {
namespace {

// The platform's own wchar_t encoding: glibc converts to it directly,
// without the byte order handling of a named UTF-32 form.
constexpr const char *kWide = "WCHAR_T";

class Iconv {
public:
  Iconv(const char *to, const char *from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error("iconv cannot convert code page 932");
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv &) = delete;
  Iconv &operator=(const Iconv &) = delete;

  // Converts as much as it can; returns false at an invalid or incomplete
  // input sequence (errno says which), with `in` pointing at it.
  bool convert(const char *&in, std::size_t &inLeft, char *&out, std::size_t &outLeft) const {
    char *src = const_cast<char *>(in);
    const std::size_t result = iconv(cd_, &src, &inLeft, &out, &outLeft);
    in = src;
    return result != static_cast<std::size_t>(-1);
  }

  void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
  iconv_t cd_;
};

} // namespace

struct Cp932::State {
  Iconv toWide{kWide, "CP932"};
  Iconv toBytes{"CP932", kWide};
};

Cp932::Cp932() : state_(std::make_unique<State>()) {}
Cp932::~Cp932() = default;

std::wstring Cp932::decode(std::string_view bytes) const {
  static_assert(sizeof(wchar_t) == 4);
  // Each byte gives at most one character.
  std::wstring text(bytes.size(), L'\0');
  const char *in = bytes.data();
  std::size_t inLeft = bytes.size();
  char *out = reinterpret_cast<char *>(text.data());
  std::size_t outLeft = text.size() * sizeof(wchar_t);
  state_->toWide.reset();
  while (inLeft > 0 && !state_->toWide.convert(in, inLeft, out, outLeft)) {
    // An invalid or truncated sequence: that one byte stands for U+FFFD and
    // decoding resumes at the next byte, so no line end is ever swallowed.
    const wchar_t replacement = 0xFFFD;
    std::memcpy(out, &replacement, sizeof replacement);
    out += sizeof replacement;
    outLeft -= sizeof replacement;
    ++in;
    --inLeft;
    state_->toWide.reset();
  }
  text.resize(text.size() - outLeft / sizeof(wchar_t));
  return text;
}

std::optional<std::string> Cp932::encode(std::wstring_view original) const {
  const std::wstring text = withCp932Forms(original);
  std::string bytes(text.size() * 2, '\0');
  const char *in = reinterpret_cast<const char *>(text.data());
  std::size_t inLeft = text.size() * sizeof(wchar_t);
  char *out = bytes.data();
  std::size_t outLeft = bytes.size();
  state_->toBytes.reset();
  if (!state_->toBytes.convert(in, inLeft, out, outLeft))
    return std::nullopt;
  bytes.resize(bytes.size() - outLeft);
  // glibc also maps some characters one way only (U+203E to 0x7E, ...),
  // which Windows refuses without best fit: refuse whatever does not read
  // back as written, as the program does.
  if (decode(bytes) != text)
    return std::nullopt;
  return bytes;
}

} // namespace tallynix
