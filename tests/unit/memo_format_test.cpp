#include "core/memo_format.h"

#include <gtest/gtest.h>

using namespace tallynix::memo;
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
  EXPECT_EQ(parseMemos(L"1000\r\n"), (Texts{L""}));
  // A text that starts with digits stays whole behind a three-digit index.
  EXPECT_EQ(parseMemos(L"001 2024年の予定\r\n"), (Texts{L"2024年の予定"}));
}

TEST(ParseMemos, LinesWithoutAnIndexKeepTheFixedOffset) {
  // What was always read from such a line is still read from it.
  EXPECT_EQ(parseMemos(L"hello world\r\n"), (Texts{L"o world"}));
  EXPECT_EQ(parseMemos(L"ab\r\n"), (Texts{L""}));
}

TEST(RemoveIndex, DropsTheLineAndRenumbersTheRest) {
  EXPECT_EQ(removeIndex("000 a\r\n001 b\r\n002 c\r\n", 0), "000 b\r\n001 c\r\n");
  EXPECT_EQ(removeIndex("000 a\r\n001 b\r\n002 c\r\n003 d\r\n", 1), "000 a\r\n001 c\r\n002 d\r\n");
}

TEST(RemoveIndex, DeletingTheOnlyMemoLeavesNothing) {
  EXPECT_EQ(removeIndex("000 only\r\n", 0), "");
}

TEST(RemoveIndex, DropsEveryLineWithThatIndex) {
  EXPECT_EQ(removeIndex("000 a\r\n001 b\r\n001 c\r\n002 d\r\n", 1), "000 a\r\n001 d\r\n");
}

TEST(RemoveIndex, MatchesByStoredIndexNotByText) {
  EXPECT_EQ(removeIndex("000 001\r\n005 x\r\n", 1), "000 001\r\n001 x\r\n");
  EXPECT_EQ(removeIndex("000 a\r\n005 x\r\n", 5), "000 a\r\n");
}

TEST(RemoveIndex, EmptyLineIsKeptAsBareIndex) {
  EXPECT_EQ(removeIndex("000 a\r\n\r\n002 c\r\n", 0), "000\r\n001 c\r\n");
  EXPECT_EQ(removeIndex("005\r\n006 x\r\n", 6), "000\r\n");
}

TEST(RemoveIndex, KeepsLeadingSpacesAndForeignBytesExactly) {
  const std::string sjis = "\x93\xfa\x96\x7b"; // 日本 in code page 932
  EXPECT_EQ(removeIndex("000 x\r\n001   " + sjis + " \r\n", 0), "000   " + sjis + " \r\n");
  const std::string junk = std::string("\x00\xff\x81", 3);
  EXPECT_EQ(removeIndex("000 " + junk + "\r\n001 y\r\n", 1), "000 " + junk + "\r\n");
}

TEST(RemoveIndex, TailOfALineWithoutIndexStartsAtItsFourthCharacter) {
  // Three double-byte characters are skipped as three characters.
  const std::string line = "\x82\xa0\x82\xa2\x82\xa4\x82\xa6"; // あいうえ
  EXPECT_EQ(removeIndex(line + "\r\n", 5), "000\x82\xa6\r\n");
}

TEST(RemoveIndex, NormalisesLineEndsToCrLf) {
  EXPECT_EQ(removeIndex("000 a\r001 b\r\n002 c", 1), "000 a\r\n001 c\r\n");
}

TEST(RemoveIndex, BareLfStaysInsideTheText) {
  EXPECT_EQ(removeIndex("000 a\nb\r\n001 c\r\n", 1), "000 a\nb\r\n");
}

TEST(RemoveIndex, LongIndexesMatchByWholeNumber) {
  std::string file;
  for (int i = 998; i <= 1001; ++i)
    file += formatLine(i, "m" + std::to_string(i));
  // 1000 must not take 100 with it, nor the other way round.
  EXPECT_EQ(removeIndex(file, 1000), "000 m998\r\n001 m999\r\n002 m1001\r\n");
  EXPECT_EQ(removeIndex("100 a\r\n1000 b\r\n", 100), "000 b\r\n");
  // Leading zeros mean a three-digit index followed by digits.
  EXPECT_EQ(removeIndex("0100 a\r\n1000 b\r\n", 10), "000 b\r\n");
  EXPECT_EQ(removeIndex("0100 a\r\n1000 b\r\n", 100), "0000 a\r\n001 b\r\n");
}

TEST(RemoveIndex, ALineWithoutIndexStaysUnderItsNewNumber) {
  // Its fourth character is a digit: renumbered, it must still read and
  // delete as the line under 000.
  const std::string after = removeIndex("ab12 x\r\n001 b\r\n002 c\r\n", 1);
  EXPECT_EQ(after, "0002 x\r\n001 c\r\n");
  EXPECT_EQ(parseMemos(L"0002 x\r\n"), (Texts{L" x"}));
  EXPECT_EQ(removeIndex(after, 0), "000 c\r\n");
}

TEST(RemoveIndex, RenumbersPastOneThousand) {
  std::string file;
  for (int i = 0; i < 1002; ++i)
    file += formatLine(i, "x");
  const std::string after = removeIndex(file, 0);
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

TEST(BytesToAppend, EndsAnUnterminatedLastLineFirst) {
  EXPECT_EQ(bytesToAppend("000 a\r\n001 b", "new"), "\r\n002 new\r\n");
  EXPECT_EQ(bytesToAppend("000 a\n", "new"), "\r\n001 new\r\n");
  EXPECT_EQ(bytesToAppend("000 a\r", "new"), "001 new\r\n");
  // Added to the file, each memo stays on its own line.
  const std::string file = "000 a\r\n001 b";
  EXPECT_EQ(parseMemos(L"000 a\r\n001 b\r\n002 new\r\n"), (Texts{L"a", L"b", L"new"}));
  EXPECT_EQ(file + bytesToAppend(file, "new"), "000 a\r\n001 b\r\n002 new\r\n");
}

namespace {

std::optional<std::string> removeSelectedOf(const std::string &file, int index,
                                            std::wstring_view text) {
  // The test files are ASCII: their memo texts decode byte for byte.
  const std::wstring wide(file.begin(), file.end());
  return removeSelected(file, parseMemos(wide), index, text);
}

} // namespace

TEST(RemoveSelected, TheMemoStillUnderItsIndexGoesAsBefore) {
  EXPECT_EQ(removeSelectedOf("000 a\r\n001 b\r\n002 c\r\n", 1, L"b"), "000 a\r\n001 c\r\n");
  // Every line stored under that index goes, as it always has.
  EXPECT_EQ(removeSelectedOf("000 a\r\n001 b\r\n001 x\r\n", 1, L"b"), "000 a\r\n");
  // The same text elsewhere does not matter while the list's line holds it.
  EXPECT_EQ(removeSelectedOf("000 b\r\n001 b\r\n", 1, L"b"), "000 b\r\n");
}

TEST(RemoveSelected, AMovedMemoIsFoundByItsText) {
  // "a" was deleted elsewhere and the rest renumbered: "b" is now 000.
  EXPECT_EQ(removeSelectedOf("000 b\r\n001 c\r\n", 1, L"b"), "000 c\r\n");
  EXPECT_EQ(removeSelectedOf("000 b\r\n001 c\r\n", 2, L"c"), "000 b\r\n");
  // A line whose number is not its place goes alone: removeIndex would
  // take the line numbered 2 or none.
  EXPECT_EQ(removeSelectedOf("000 a\r\n001 b\r\n001 x\r\n", 2, L"x"), "000 a\r\n001 b\r\n");
  EXPECT_EQ(removeSelectedOf("000 a\r\n005 x\r\n002 y\r\n", 1, L"x"), "000 a\r\n001 y\r\n");
}

TEST(RemoveSelected, NothingWhenTheTextIsGoneOrHeldTwice) {
  EXPECT_EQ(removeSelectedOf("000 a\r\n001 c\r\n", 1, L"b"), std::nullopt);
  EXPECT_EQ(removeSelectedOf("000 b\r\n001 x\r\n002 b\r\n", 1, L"b"), std::nullopt);
  EXPECT_EQ(removeSelectedOf("", 0, L"a"), std::nullopt);
}

TEST(FlattenLineBreaks, EachBreakBecomesOneSpace) {
  EXPECT_EQ(flattenLineBreaks(L"a\r\nb\rc\nd"), L"a b c d");
  EXPECT_EQ(flattenLineBreaks(L"\r\n\r\n"), L"  ");
  EXPECT_EQ(flattenLineBreaks(L"plain"), L"plain");
}
