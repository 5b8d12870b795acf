#include "core/memo_format.h"

#include "core/memo_encoding.h"

#include <gtest/gtest.h>

using namespace tallynix::memo;
using tallynix::Encoding;
using Texts = std::vector<std::wstring>;

TEST(FormatIndex, PadsToThreeDigitsAndGrowsPastThem) {
  EXPECT_EQ(formatIndex(0), "000");
  EXPECT_EQ(formatIndex(42), "042");
  EXPECT_EQ(formatIndex(999), "999");
  EXPECT_EQ(formatIndex(1000), "1000");
  EXPECT_EQ(formatIndex(123456), "123456");
}

TEST(FormatLine, IsIndexSpaceTextCrLf) {
  EXPECT_EQ(formatLine(3, "  abc "), "003   abc \r\n");
  EXPECT_EQ(formatLine(1000, "x"), "1000 x\r\n");
}

TEST(ParseMemos, ReadsEachLineFromItsFifthCharacter) {
  EXPECT_EQ(parseMemos(L"000 first\r\n001 second\r\n"), (Texts{L"first", L"second"}));
  EXPECT_EQ(parseMemos(L"000   spaced  \r\n"), (Texts{L"  spaced  "}));
  EXPECT_EQ(parseMemos(L"000 日本語のメモ\r\n"), (Texts{L"日本語のメモ"}));
}

TEST(ParseMemos, EmptyFileHasNoMemos) { EXPECT_TRUE(parseMemos(L"").empty()); }

TEST(ParseMemos, ShortLinesAndEmptyLinesGiveEmptyItems) {
  EXPECT_EQ(parseMemos(L"\r\n"), (Texts{L""}));
  EXPECT_EQ(parseMemos(L"005\r\n"), (Texts{L""}));
  EXPECT_EQ(parseMemos(L"005 \r\n"), (Texts{L""}));
  EXPECT_EQ(parseMemos(L"000 a\r\n\r\n002 c\r\n"), (Texts{L"a", L"", L"c"}));
}

TEST(ParseMemos, LineEndsAtCrOrCrLfButNotAtBareLf) {
  EXPECT_EQ(parseMemos(L"000 a\r001 b\r\n"), (Texts{L"a", L"b"}));
  EXPECT_EQ(parseMemos(L"000 a\nb\r\n"), (Texts{L"a\nb"}));
  EXPECT_EQ(parseMemos(L"000 a\r\r\n"), (Texts{L"a", L""}));
}

TEST(ParseMemos, LastLineNeedsNoTerminator) {
  EXPECT_EQ(parseMemos(L"000 a\r\n001 b"), (Texts{L"a", L"b"}));
}

TEST(ParseMemos, FourOrMoreDigitsAreOneIndex) {
  EXPECT_EQ(parseMemos(L"999 last short\r\n1000 first long\r\n12345 far\r\n"),
            (Texts{L"last short", L"first long", L"far"}));
  EXPECT_EQ(parseMemos(L"1000\r\n1999 y\r\n"), (Texts{L"", L"y"}));
  // Digits that do not start the line are no index.
  EXPECT_EQ(parseMemos(L"a1234 x\r\n"), (Texts{L"4 x"}));
  // A text that starts with digits stays whole behind a three-digit index.
  EXPECT_EQ(parseMemos(L"001 2024年の予定\r\n"), (Texts{L"2024年の予定"}));
}

TEST(ParseMemos, LinesWithoutAnIndexKeepTheFixedOffset) {
  // What was always read from such a line is still read from it.
  EXPECT_EQ(parseMemos(L"hello world\r\n"), (Texts{L"o world"}));
  EXPECT_EQ(parseMemos(L"ab\r\n"), (Texts{L""}));
}

namespace {

const tallynix::Cp932 codec;

// The deletion and the append as the store makes them, with the file's
// reading.
std::string removeAt(std::string_view file, std::size_t position) {
  return tallynix::memo::removeAt(file, tallynix::readingOf(file, codec), position, codec);
}
std::string bytesToAppend(std::string_view file, std::string_view text) {
  return tallynix::memo::bytesToAppend(file, tallynix::readingOf(file, codec), text);
}

} // namespace

TEST(RemoveAt, DropsTheLineAndRenumbersTheRest) {
  EXPECT_EQ(removeAt("000 a\r\n001 b\r\n002 c\r\n", 0), "000 b\r\n001 c\r\n");
  EXPECT_EQ(removeAt("000 a\r\n001 b\r\n002 c\r\n003 d\r\n", 1), "000 a\r\n001 c\r\n002 d\r\n");
  EXPECT_EQ(removeAt("000 only\r\n", 0), "");
}

TEST(RemoveAt, DropsThatLineAloneWhateverTheNumbers) {
  // Two memos under one number are two memos.
  EXPECT_EQ(removeAt("000 a\r\n001 b\r\n002 mine\r\n002 yours\r\n", 2),
            "000 a\r\n001 b\r\n002 yours\r\n");
  EXPECT_EQ(removeAt("000 001\r\n005 x\r\n", 1), "000 001\r\n");
}

TEST(RemoveAt, EmptyLineIsKeptAsBareIndex) {
  EXPECT_EQ(removeAt("000 a\r\n\r\n002 c\r\n", 0), "000\r\n001 c\r\n");
  EXPECT_EQ(removeAt("005\r\n006 x\r\n", 1), "000\r\n");
}

TEST(RemoveAt, KeepsLeadingSpacesAndForeignBytesExactly) {
  const std::string sjis = "\x93\xfa\x96\x7b"; // 日本 in code page 932
  EXPECT_EQ(removeAt("000 x\r\n001   " + sjis + " \r\n", 0), "000   " + sjis + " \r\n");
  const std::string junk = std::string("\x00\xff\x81", 3);
  EXPECT_EQ(removeAt("000 " + junk + "\r\n001 y\r\n", 1), "000 " + junk + "\r\n");
}

TEST(RemoveAt, TailOfALineWithoutIndexStartsAtItsFourthCharacter) {
  // Three double-byte characters are skipped as three characters, in the
  // encoding the line is read in.
  EXPECT_EQ(removeAt("\x82\xa0\x82\xa2\x82\xa4\x82\xa6\r\n001 x\r\n", 1), "000\x82\xa6\r\n");
  EXPECT_EQ(removeAt("あいうえ\r\n001 x\r\n", 1), "000え\r\n");
}

TEST(RemoveAt, NormalisesLineEndsAndKeepsBareLfAndTheByteOrderMark) {
  EXPECT_EQ(removeAt("000 a\r001 b\r\n002 c", 1), "000 a\r\n001 c\r\n");
  EXPECT_EQ(removeAt("000 a\nb\r\n001 c\r\n", 1), "000 a\nb\r\n");
  EXPECT_EQ(removeAt("\xEF\xBB\xBF"
                     "000 あ\r\n001 い\r\n",
                     0),
            "\xEF\xBB\xBF"
            "000 い\r\n");
}

TEST(RemoveAt, LongIndexesAreRenumberedWhole) {
  std::string file;
  for (int i = 998; i <= 1001; ++i)
    file += formatLine(i, "m" + std::to_string(i));
  EXPECT_EQ(removeAt(file, 2), "000 m998\r\n001 m999\r\n002 m1001\r\n");
  // Leading zeros mean a three-digit index followed by digits: its text
  // starts at the fifth character.
  EXPECT_EQ(removeAt("0100 a\r\n1000 b\r\n", 1), "000  a\r\n");
}

TEST(RemoveAt, ALineTypedByHandShowsTheSameMemoUnderItsNewNumber) {
  // A date typed in an editor showed /03/01 会議: the number and a space go
  // in front of that, not in place of the date's digits.
  EXPECT_EQ(removeAt("000 牛乳を買う\r\n001 歯医者\r\n2025/03/01 会議\r\n", 0),
            "000 歯医者\r\n001 /03/01 会議\r\n");
  // Whatever digits a line starts with, under numbers of three digits and of
  // four, in either encoding.
  const auto lastMemo = [](std::string_view file) {
    return tallynix::memo::decodeMemos(file, codec).memos.back();
  };
  for (const std::string line :
       {"2025年の目標", "2025\x94\x4e", "0123 foo", "000Xfoo", "ab12 x", "12", "1234",
        "5000  two spaces", "000 001", "abc\x94\x4e", "😀12 x"})
    for (const int others : {1, 100, 1000}) {
      std::string file;
      for (int k = 0; k <= others; ++k)
        file += formatLine(k, "m");
      file += line + "\r\n";
      EXPECT_EQ(lastMemo(removeAt(file, 0)), lastMemo(file)) << line << " after " << others;
    }
}

TEST(RemoveAt, RenumbersPastOneThousand) {
  std::string file;
  for (int i = 0; i < 1002; ++i)
    file += formatLine(i, "x");
  const std::string after = removeAt(file, 0);
  EXPECT_NE(after.find("999 x\r\n1000 x\r\n"), std::string::npos);
  EXPECT_EQ(after.find("1001 "), std::string::npos);
  EXPECT_EQ(after.size(), file.size() - std::string("1001 x\r\n").size());
}

TEST(BytesToAppend, NumbersTheNewLineByTheMemosInTheFile) {
  EXPECT_EQ(bytesToAppend("", "a"), "000 a\r\n");
  EXPECT_EQ(bytesToAppend("000 a\r\n", "b"), "001 b\r\n");
  // Whatever numbers the lines carry, and a line another writer added.
  EXPECT_EQ(bytesToAppend("000 a\r\n001 x\r\n001 b\r\n", "c"), "003 c\r\n");
  EXPECT_EQ(bytesToAppend("000 a\r\r\n", "c"), "002 c\r\n");  // a lone CR ends a line
  EXPECT_EQ(bytesToAppend("000 a\nb\r\n", "c"), "001 c\r\n"); // a bare LF does not
  std::string thousand;
  for (int i = 0; i < 1000; ++i)
    thousand += formatLine(i, "x");
  EXPECT_EQ(bytesToAppend(thousand, "y"), "1000 y\r\n");
}

TEST(BytesToAppend, CountsNoMemoForTheByteOrderMark) {
  EXPECT_EQ(bytesToAppend("\xEF\xBB\xBF", "a"), "000 a\r\n");
  EXPECT_EQ(bytesToAppend("\xEF\xBB\xBF"
                          "000 a\r\n",
                          "b"),
            "001 b\r\n");
}

TEST(BytesToAppend, EndsAnUnterminatedLastLineFirst) {
  EXPECT_EQ(bytesToAppend("000 a\r\n001 b", "new"), "\r\n002 new\r\n");
  EXPECT_EQ(bytesToAppend("000 a\n", "new"), "\r\n001 new\r\n");
  EXPECT_EQ(bytesToAppend("000 a\r", "new"), "001 new\r\n");
  // Added to the file, each memo stays on its own line.
  const std::string file = "000 a\r\n001 b";
  EXPECT_EQ(parseMemos(L"000 a\r\n001 b\r\n002 new\r\n"), (Texts{L"a", L"b", L"new"}));
  EXPECT_EQ(file + bytesToAppend(file, "new"), "000 a\r\n001 b\r\n002 new\r\n");
}

TEST(PlaceOfSelected, ThePlaceThatStillHoldsTheTextOrTheOneThatDoes) {
  const Texts memos{L"b", L"c", L"b"};
  EXPECT_EQ(placeOfSelected(memos, 2, L"b"), 2u); // the same text elsewhere does not matter
  EXPECT_EQ(placeOfSelected(memos, 2, L"c"), 1u); // moved up: another memo was deleted
  EXPECT_EQ(placeOfSelected(memos, 5, L"c"), 1u);
  EXPECT_EQ(placeOfSelected(memos, 1, L"b"), std::nullopt); // which "b"?
  EXPECT_EQ(placeOfSelected(memos, 0, L"gone"), std::nullopt);
  EXPECT_EQ(placeOfSelected(Texts{}, 0, L"a"), std::nullopt);
}

TEST(FlattenLineBreaks, EachBreakBecomesOneSpace) {
  EXPECT_EQ(flattenLineBreaks(L"a\r\nb\rc\nd"), L"a b c d");
  EXPECT_EQ(flattenLineBreaks(L"\r\n\r\n"), L"  ");
  EXPECT_EQ(flattenLineBreaks(L"plain"), L"plain");
}

// memo.txt's encoding, told from its bytes alone: the texts here read both
// ways, or come closest to it.
TEST(EncodingOf, WeighsBothReadingsAndInDoubtKeepsShiftJis) {
  const tallynix::Cp932 codec;
  struct Case {
    const char *what;
    std::string bytes;
    Encoding expected;
  };
  const std::string bom = "\xEF\xBB\xBF";
  const Case cases[] = {
      {"empty", "", Encoding::shiftJis},
      {"ASCII only", "000 memo\r\n", Encoding::shiftJis},
      {"Shift-JIS", "000 \x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x81\x83\x82\r\n", Encoding::shiftJis},
      // Shift-JIS that is well-formed UTF-8 too.
      {"莉子, UTF-8 从q", "000 \xE4\xBB\x8E\x71\r\n", Encoding::shiftJis},
      {"莉乃, UTF-8 仔T", "000 \xE4\xBB\x94\x54\r\n", Encoding::shiftJis},
      {"ﾃｽ, UTF-8 ý", "000 \xC3\xBD\r\n", Encoding::shiftJis},
      {"ﾃｽﾄの作成, UTF-8 of Latin Extended, a combining mark and Hangul",
       "000 \xC3\xBD\xC4\x82\xCC\x8D\xEC\x90\xAC\r\n", Encoding::shiftJis},
      {"ﾃｽ typed without a number", "\xC3\xBD\r\n", Encoding::shiftJis},
      {"燿、, UTF-8 of Samaritan", "000 \xE0\xA0\x81\x41\r\n", Encoding::shiftJis},
      {"笙子, UTF-8 ♎q", "000 \xE2\x99\x8E\x71 090\r\n", Encoding::shiftJis},
      {"Shift-JIS lines beside a line of 莉子", "000 \x8B\x8D\x93\xfb\r\n001 \xE4\xBB\x8E\x71\r\n",
       Encoding::shiftJis},
      // UTF-8, also well-formed Shift-JIS where it is not said otherwise.
      {"a byte order mark alone", bom, Encoding::utf8},
      {"a byte order mark and ASCII", bom + "000 memo\r\n", Encoding::utf8},
      {"Hokkaidō, no Shift-JIS", "000 Hokkaidō\r\n", Encoding::utf8},
      {"牛乳", "000 牛乳\r\n", Encoding::utf8},
      {"牛乳 after memos of ASCII", "000 memo\r\n001 memo\r\n002 牛乳\r\n", Encoding::utf8},
      {"あい", "000 あい\r\n", Encoding::utf8},
      {"long vowels", "000 Kyūshū\r\n", Encoding::utf8},
      {"an accent right before kana", "000 caféオレ\r\n", Encoding::utf8},
      {"long vowels inside a word", "000 Ryōta\r\n", Encoding::utf8},
      {"accented Latin", "000 Müller\r\n", Encoding::utf8},
      // Texts of the memo sets that each read otherwise under a rule a
      // little off: accents at a word's end, a run after a word, a lone
      // 0x80 byte taken for ASCII, a symbol after a word.
      {"accents", "000 café au lait\r\n", Encoding::utf8},
      {"accents", "000 Café Chloé\r\n", Encoding::utf8},
      {"accents", "000 Fauré Op.\r\n", Encoding::utf8},
      {"accents", "000 Bogotá\r\n", Encoding::utf8},
      {"accents", "000 Meet Shin'ya @ Café Bleu\r\n", Encoding::utf8},
      {"long vowels and a hyphen", "000 Chūō-ku St.\r\n", Encoding::utf8},
      {"a kanji of level 2", "000 糀\r\n", Encoding::utf8},
      {"a rare word", "000 嚠喨\r\n", Encoding::utf8},
      {"an arrow after a flight number", "000 - flight JL123 NRT→LAX\r\n", Encoding::utf8},
      {"accented Latin typed without a number", "Müller\r\ncafé\r\n", Encoding::utf8},
      {"Hangul", "000 한국어\r\n", Encoding::utf8},
      {"a keycap", "000 #️⃣\r\n", Encoding::utf8},
      {"an arrow and a quote between ASCII words", "000 NRT→LAX, it’s OK\r\n", Encoding::utf8},
      {"UTF-8 emoji", "000 卵😀\r\n", Encoding::utf8},
      {"UTF-8 signs and Greek beside kanji", "000 25°C、3×4 β版\r\n", Encoding::utf8},
      {"a UTF-8 line, then a Shift-JIS line", "000 あ\r\n001 \x82\xa2\r\n", Encoding::utf8},
      {"Japanese UTF-8 that reads both ways, then Shift-JIS lines",
       "000 田中さんに電話\r\n001 \x82\xa2\r\n002 \x82\xa4\r\n", Encoding::utf8},
      {"あい in UTF-8, then a Shift-JIS line", "000 あい\r\n001 \x82\xa2\r\n", Encoding::utf8},
      // One short line against two Shift-JIS lines stays in doubt.
      {"あい in UTF-8, then two Shift-JIS lines", "000 あい\r\n001 \x82\xa2\r\n002 \x82\xa4\r\n",
       Encoding::shiftJis},
  };
  for (const Case &c : cases)
    EXPECT_EQ(tallynix::readingOf(c.bytes, codec).encoding, c.expected) << c.what;
}

TEST(DecodeMemos, ReadsEachLineAsItWasWritten) {
  const tallynix::Cp932 codec;
  struct Case {
    std::string bytes;
    Encoding encoding;
    Texts memos;
  };
  const Case cases[] = {
      {"000 \x93\xfa\x96\x7b\r\n001 \xC3\xBD\r\n", Encoding::shiftJis, {L"日本", L"ﾃｽ"}},
      {"000 買い物\r\n001 牛乳", Encoding::utf8, {L"買い物", L"牛乳"}},
      // The byte order mark is no part of the first memo.
      {"\xEF\xBB\xBF"
       "000 あ\r\n001 卵😀\r\n",
       Encoding::utf8,
       {L"あ", L"卵😀"}},
      // Shift-JIS lines that an earlier version appended to a UTF-8 file.
      {"\xEF\xBB\xBF"
       "000 あ\r\n001 \x82\xa4\r\n",
       Encoding::utf8,
       {L"あ", L"う"}},
      {"000 あ\r\n001 \x82\xa2\r\n", Encoding::utf8, {L"あ", L"い"}},
      {"000 三木\r\n001 \x82\xc8\x82\xc2\x82\xe6\r\n", Encoding::utf8, {L"三木", L"なつよ"}},
      // Without the byte order mark, also those that read as UTF-8 (䕑啟)
      // but far likelier as Shift-JIS; with it, every line that is UTF-8.
      {"000 田中さんに電話\r\n001 \xE4\x95\x91\xE5\x95\x9F\r\n",
       Encoding::utf8,
       {L"田中さんに電話", L"苺大福"}},
      // A UTF-8 memo with an accent inside a word, then two Shift-JIS ones.
      {"000 Reykjavík\r\n001 \x98\x6b\x95\xa3\x81\x82\x95\x7a\x92\x63\x8a\xb1\x82\xb7\r\n"
       "002 \xe4\x95\x89\xd4 1/26(\x8c\x8e)\x90\xb6\r\n",
       Encoding::utf8,
       {L"Reykjavík", L"鰐淵≠布団干す", L"苺花 1/26(月)生"}},
      // ﾂー, which as UTF-8 is a control character and a bracket.
      {"000 牛乳\r\n001 \xC2\x81\x5B\r\n", Encoding::utf8, {L"牛乳", L"ﾂー"}},
      {"\xEF\xBB\xBF"
       "000 田中さんに電話\r\n001 \xE4\x95\x91\xE5\x95\x9F\r\n",
       Encoding::utf8,
       {L"田中さんに電話", L"䕑啟"}},
      // A NUL shows, so that the memo reads back as the list shows it.
      {std::string("000 foo\0\0\r\n001 foo\r\n", 19),
       Encoding::shiftJis,
       {L"foo\u2400\u2400", L"foo"}},
      {std::string("000 あ\0\r\n", 10), Encoding::utf8, {L"あ\u2400"}},
  };
  for (const Case &c : cases) {
    const MemoFile file = decodeMemos(c.bytes, codec);
    EXPECT_EQ(file.reading.encoding, c.encoding) << c.bytes;
    EXPECT_EQ(file.memos, c.memos) << c.bytes;
  }
}

TEST(Utf8, StoresAnyCharacterAndReadsItBack) {
  const std::wstring text = L"卵😀 é \u2400";
  const std::string bytes = tallynix::utf8::encode(text);
  EXPECT_EQ(bytes, "卵😀 é \xE2\x90\x80");
  std::wstring back = L"x";
  EXPECT_TRUE(tallynix::utf8::appendDecoded(bytes, back));
  EXPECT_EQ(back, L"x" + text);
  EXPECT_FALSE(tallynix::utf8::appendDecoded("ab\x82\xa0", back)); // Shift-JIS after ASCII
  EXPECT_EQ(back, L"x" + text);
}

TEST(Utf8, TakesEveryCharacterAtTheEdgesOfItsLengthsAndNothingPastThem) {
  // The first and last code point of each length, and each side of the
  // surrogates, both ways.
  const std::pair<std::string, std::wstring> characters[] = {
      {"\x7F", L"\x7F"},
      {"\xC2\x80", L"\x80"},
      {"\xDF\xBF", L"\x7FF"},
      {"\xE0\xA0\x80", L"\x800"},
      {"\xED\x9F\xBF", L"\xD7FF"},
      {"\xEE\x80\x80", L"\xE000"},
      {"\xEF\xBF\xBF", L"\xFFFF"},
      {"\xF0\x90\x80\x80", L"\U00010000"},
      {"\xF1\x80\x80\x80", L"\U00040000"},
      {"\xF3\xBF\xBF\xBF", L"\U000FFFFF"},
      {"\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
  };
  for (const auto &[bytes, text] : characters) {
    std::wstring back;
    EXPECT_TRUE(tallynix::utf8::appendDecoded(bytes, back)) << bytes;
    EXPECT_EQ(back, text) << bytes;
    EXPECT_EQ(tallynix::utf8::encode(text), bytes) << bytes;
  }
  // Overlong forms, surrogates, past U+10FFFF, bytes out of a lead's range,
  // and a character cut short by the end of a line (the view ends before
  // bytes that would complete it).
  for (const std::string_view bytes : std::initializer_list<std::string_view>{
           "\x80", "\xC1\xBF", "\xC2\x7F", "\xC2\xC0", "\xE0\x9F\xBF", "\xE0\xA0\x7F",
           "\xE1\x80\xC0", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF", "\xF1\x7F\x80\x80",
           "\xF1\xC0\x80\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
           std::string_view("a\xE3\x81\x82", 3)})
    EXPECT_FALSE(tallynix::utf8::isValid(bytes)) << bytes;
  // A lone surrogate, or a code point no UTF-16 can hold, is stored as U+FFFD.
  const std::wstring lone{wchar_t(0xDFFF)};
  EXPECT_EQ(tallynix::utf8::encode(lone + wchar_t(0xD800)), "\xEF\xBF\xBD\xEF\xBF\xBD");
  if constexpr (sizeof(wchar_t) == 4) {
    EXPECT_EQ(tallynix::utf8::encode(std::wstring{wchar_t(0xD800), wchar_t(0xDC00)}),
              "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(tallynix::utf8::encode(std::wstring(1, wchar_t(0x110000))), "\xEF\xBF\xBD");
  }
}
