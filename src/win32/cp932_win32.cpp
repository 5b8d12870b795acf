// Code page 932 conversion on Windows. Always code page 932, not the
// system's ANSI code page, so that a memo file reads the same everywhere.
#include "core/cp932.h"

#include <windows.h>

namespace tallynix {
namespace {

constexpr UINT kCodePage = 932;

int decodeInto(std::string_view bytes, DWORD flags, wchar_t *out, int outSize) {
  return MultiByteToWideChar(kCodePage, flags, bytes.data(), static_cast<int>(bytes.size()), out,
                             outSize);
}

// Appends the decoding of a run that holds no line end, where the system's
// own replacement of invalid bytes cannot swallow a CR or LF.
void appendLenient(std::wstring &text, std::string_view run) {
  if (run.empty())
    return;
  const int size = decodeInto(run, 0, nullptr, 0);
  const std::size_t at = text.size();
  text.resize(at + static_cast<std::size_t>(size));
  decodeInto(run, 0, text.data() + at, size);
}

} // namespace

struct Cp932::State {};

Cp932::Cp932() = default;
Cp932::~Cp932() = default;

std::wstring Cp932::decode(std::string_view bytes) const {
  if (bytes.empty())
    return {};
  std::wstring text(bytes.size(), L'\0');
  const int size =
      decodeInto(bytes, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()));
  if (size > 0) {
    text.resize(static_cast<std::size_t>(size));
    return text;
  }
  // Some bytes are invalid: decode line by line, keeping every line end.
  text.clear();
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    appendLenient(text, bytes.substr(start, end - start));
    if (end == bytes.npos)
      break;
    text += static_cast<wchar_t>(bytes[end]);
    start = end + 1;
  }
  return text;
}

std::optional<std::string> Cp932::encode(std::wstring_view original) const {
  if (original.empty())
    return std::string{};
  const std::wstring text = withCp932Forms(original);
  const int length = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length,
                                       nullptr, 0, nullptr, &usedDefault);
  if (size <= 0 || usedDefault)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), size,
                      nullptr, &usedDefault);
  if (usedDefault)
    return std::nullopt;
  return bytes;
}

} // namespace tallynix
