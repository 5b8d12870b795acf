// The codec on expected bytes. Built with the native iconv codec and with
// the Windows one (the unit tests run under Wine too), so the two are held
// to the same table: what one stores, the other stores alike.
#include "core/cp932.h"

#include <gtest/gtest.h>

using tallynix::Cp932;

namespace {

struct Case {
  const wchar_t *text;
  const char *bytes;
};

TEST(Cp932, StoresTextFromTheWebUnderItsShiftJisForms) {
  const Cp932 codec;
  const Case cases[] = {
      {L"\u301C", "\x81\x60"},      // 〜 wave dash
      {L"\u2016", "\x81\x61"},      // ‖
      {L"\u2212", "\x81\x7C"},      // − minus sign
      {L"\u00A2", "\x81\x91"},      // ¢
      {L"\u00A3", "\x81\x92"},      // £
      {L"\u00AC", "\x81\xCA"},      // ¬
      {L"\u2014", "\x81\x5C"},      // — em dash
      {L"\u00A5", "\x5C"},          // ¥
      {L"\uFF5E\u2225\uFF0D\u2015", // what Windows itself writes for them
       "\x81\x60\x81\x61\x81\x7C\x81\x5C"},
      {L"9:00\u301C10:00 \u00A51,000", "9:00\x81\x60"
                                       "10:00 \x5C"
                                       "1,000"},
      {L"日本語のメモ", "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x81\x83\x82"},
      {L"\uFF71\uFF72", "\xb1\xb2"}, // half-width katakana
  };
  for (const Case &c : cases)
    EXPECT_EQ(codec.encode(c.text), std::string(c.bytes)) << "text of " << std::wcslen(c.text);
}

TEST(Cp932, RefusesWhatItCannotStoreAsWritten) {
  const Cp932 codec;
  for (const wchar_t *text : {L"\U0001F600", L"한국어", L"\u203E", L"\u00E9", L"a\u20ACb"})
    EXPECT_EQ(codec.encode(text), std::nullopt) << "U+" << std::hex << unsigned(text[0]);
}

} // namespace
