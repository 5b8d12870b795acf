#include "core/cp932.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tallynix {
namespace {

// Each character and the one that code page 932 stores for it, with its bytes.
constexpr std::array<std::pair<wchar_t, wchar_t>, 8> kForms{{
    {L'\u301C', L'\uFF5E'}, // 〜 wave dash -> 0x8160
    {L'\u2016', L'\u2225'}, // ‖ double vertical line -> 0x8161
    {L'\u2212', L'\uFF0D'}, // − minus sign -> 0x817C
    {L'\u00A2', L'\uFFE0'}, // ¢ -> 0x8191
    {L'\u00A3', L'\uFFE1'}, // £ -> 0x8192
    {L'\u00AC', L'\uFFE2'}, // ¬ -> 0x81CA
    {L'\u2014', L'\u2015'}, // — em dash -> 0x815C
    {L'\u00A5', L'\u005C'}, // ¥ -> 0x5C, as the web's Shift_JIS encoders write it
}};

} // namespace

std::wstring withCp932Forms(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t &c : out) {
    const auto found = std::find_if(kForms.begin(), kForms.end(),
                                    [c](const auto &form) { return form.first == c; });
    if (found != kForms.end())
      c = found->second;
  }
  return out;
}

} // namespace tallynix
