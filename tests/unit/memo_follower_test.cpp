// Following memo.txt: when the list must be refilled, and where the user's
// pick goes when it is.
#include "core/memo_follower.h"

#include "test_files.h"

#include <gtest/gtest.h>

using namespace tallynix;
using Texts = std::vector<std::wstring>;

namespace {

TEST(KeptSelection, StaysWithItsMemoWhereverItMoved) {
  const Texts memos{L"a", L"b", L"c"};
  EXPECT_EQ(keptSelection(memos, 1, L"b"), 1);
  EXPECT_EQ(keptSelection(memos, 2, L"b"), 1);     // a memo above it was removed
  EXPECT_EQ(keptSelection(memos, 0, L"c"), 2);     // memos were added above it
  EXPECT_EQ(keptSelection(memos, 7, L"c"), 2);     // past the new end
  EXPECT_EQ(keptSelection(memos, 1, L"gone"), -1); // its memo was deleted
  EXPECT_EQ(keptSelection(memos, -1, L"b"), -1);   // typed, not picked
  EXPECT_EQ(keptSelection(Texts{}, 0, L"a"), -1);
}

TEST(KeptSelection, AmongEqualMemosTakesTheNearestTheEarlierOnATie) {
  const Texts memos{L"x", L"y", L"x", L"y", L"y", L"x"};
  EXPECT_EQ(keptSelection(memos, 4, L"x"), 5);
  EXPECT_EQ(keptSelection(memos, 1, L"x"), 0);
  EXPECT_EQ(keptSelection(memos, 3, L"x"), 2);
}

// Another writer truncates memo.txt, then writes it: the list meets the
// file empty (or half-written) before it settles.
TEST(KeptPick, APickLostToAFileSeenEmptyComesBackWhenItsMemoDoes) {
  KeptPick pick;
  pick.look(1, L"b");
  EXPECT_EQ(pick.placeIn(Texts{}), -1);
  pick.look(-1, L"b"); // the field still shows it
  EXPECT_EQ(pick.lost(L"b"), 1);
  EXPECT_EQ(pick.placeIn(Texts{L"b", L"c"}), 0);

  pick.look(0, L"b");
  EXPECT_EQ(pick.placeIn(Texts{L"000 b"}), -1); // half-written
  pick.look(-1, L"b");
  EXPECT_EQ(pick.placeIn(Texts{L"c", L"d"}), -1); // really gone: still kept for 削
  EXPECT_EQ(pick.lost(L"b"), 0);
  EXPECT_EQ(pick.text(), L"b");

  pick.look(-1, L"bx"); // typed over: no pick any more
  EXPECT_EQ(pick.lost(L"bx"), -1);
  EXPECT_EQ(pick.placeIn(Texts{L"b"}), -1);
  pick.look(2, L""); // an empty memo is a memo too
  pick.forget();     // until the list is refilled
  EXPECT_EQ(pick.lost(L""), -1);
}

class MemoFollowerTest : public ::testing::Test {
protected:
  tallynix::testing::MemoryFileSystem files;
  MemoStore store{files};
  MemoFollower follower{store};

  void write(const std::string &bytes) { files.files["memo.txt"] = bytes; }
  void fill() { follower.filled(store.readAll()); }
};

TEST_F(MemoFollowerTest, ReportsOnlyWhatDiffersFromWhatTheListWasFilledFrom) {
  write("000 a\r\n001 b\r\n");
  EXPECT_EQ(follower.changes(), std::nullopt) << "a list never filled has nothing to follow";
  fill();
  EXPECT_EQ(follower.changes(), std::nullopt);
  write("000 a\r\n000 b\r\n"); // other numbers, the same memos
  EXPECT_EQ(follower.changes(), std::nullopt);
  write("000 a\r\n001 b\r\n002 c\r\n");
  EXPECT_EQ(follower.changes(), (Texts{L"a", L"b", L"c"}));
  write("000 ab\r\n");
  EXPECT_EQ(follower.changes(), (Texts{L"ab"})) << "not the same as a, b";
  follower.forget();
  EXPECT_EQ(follower.changes(), std::nullopt);
}

TEST_F(MemoFollowerTest, TheStripsOwnWritesAreNotChanges) {
  write("000 a\r\n");
  fill();
  store.append(L"b");
  follower.acceptFile();
  EXPECT_EQ(follower.changes(), std::nullopt);
  store.append(L"by another copy");
  EXPECT_EQ(follower.changes(), (Texts{L"a", L"b", L"by another copy"}));
}

TEST_F(MemoFollowerTest, AMissingFileHoldsNoMemosAndIsNotCreated) {
  write("000 a\r\n");
  fill();
  files.files.clear();
  EXPECT_EQ(follower.changes(), Texts{});
  EXPECT_FALSE(files.size("memo.txt"));
}

} // namespace
