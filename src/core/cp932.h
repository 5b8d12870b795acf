// Conversion between the program's Unicode text and code page 932
// (Shift-JIS), the encoding of every memo file the program creates. It is
// code page 932 whatever the system's locale, so that the file stays
// readable when it moves between machines; a memo file saved as UTF-8 is
// read and written as UTF-8 instead (see memo_encoding.h).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tallynix {

class Cp932 {
public:
  Cp932();
  ~Cp932();
  Cp932(const Cp932 &) = delete;
  Cp932 &operator=(const Cp932 &) = delete;

  // Never fails: a byte that is not valid code page 932 decodes to U+FFFD on
  // its own, so CR and LF bytes always come back as CR and LF.
  std::wstring decode(std::string_view bytes) const;

  // Nothing when some character has no code page 932 form: such text is
  // refused rather than silently written as '?'.
  std::optional<std::string> encode(std::wstring_view text) const;

private:
  struct State;
  std::unique_ptr<State> state_;
};

// Text pasted from web pages and other systems uses code points for a few
// characters that code page 932 holds under others (〜 U+301C for ～ U+FF5E,
// ¥ U+00A5 for 0x5C, ...). Both codecs store them through this one table, so
// that the tests' codec and the program's agree on what can be stored.
std::wstring withCp932Forms(std::wstring_view text);

} // namespace tallynix
