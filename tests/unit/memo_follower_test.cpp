// Following memo.txt: when the list is refilled, and where the user's pick
// goes when it is.
#include "core/memo_follower.h"

#include "test_files.h"

#include <gtest/gtest.h>

using namespace tallynix;
using Texts = std::vector<std::wstring>;

namespace {

// The memo list as the window shows it, and what the follower asked of it.
// Selecting an item puts its text in the field, as the window's list does;
// whatever that reports is no typing of the user's.
struct ListOnScreen final : FollowedList {
  MemoFollower *follower = nullptr;
  Texts items;
  int cursel = -1;
  std::wstring field;
  bool dropped = false;
  bool watching = false;
  int onScreenCalls = 0;
  int closeUpCalls = 0;

  bool droppedDown() override { return dropped; }
  int selectedItem() override { return cursel; }
  std::wstring typedText() override { return field; }
  void replaceItems(std::span<const std::wstring> memos, int select) override {
    items.assign(memos.begin(), memos.end());
    cursel = select;
    if (select >= 0)
      follower->typed();
  }
  void startWatching() override { watching = true; }
  void stopWatching() override { watching = false; }
  void callOnScreen() override { ++onScreenCalls; }
  void callAfterCloseUp() override { ++closeUpCalls; }
};

class MemoFollowerTest : public ::testing::Test {
protected:
  tallynix::testing::MemoryFileSystem files;
  MemoStore store{files};
  ListOnScreen list;
  MemoFollower follower{store, list};

  void SetUp() override { list.follower = &follower; }

  void write(const std::string &bytes) { files.files["memo.txt"] = bytes; }
  // The list takes the focus and fills from the file, as the window does.
  void fill() {
    list.items = store.readAll();
    list.cursel = -1;
    list.field.clear();
    follower.filled(list.items);
  }
  void pick(int item) {
    list.cursel = item;
    list.field = list.items[static_cast<std::size_t>(item)];
  }
  // Shown and on the screen, with the list filled from `bytes`.
  void showWith(const std::string &bytes) {
    write(bytes);
    follower.loaded();
    follower.shown();
    follower.onScreen(true);
    fill();
  }
};

TEST_F(MemoFollowerTest, FollowsWhileShownOnceOnTheScreenAndNeverIntoAnOpenDropDown) {
  write("000 a\r\n");
  follower.loaded();
  fill();
  follower.shown();
  EXPECT_EQ(list.onScreenCalls, 1);
  follower.hidden(); // before its first pixels
  follower.shown();
  follower.shown();
  EXPECT_EQ(list.onScreenCalls, 2);
  write("000 a\r\n001 b\r\n");
  follower.activated(); // the activation of being shown
  follower.onScreen(false);
  EXPECT_EQ(list.items, Texts{L"a"});
  EXPECT_FALSE(list.watching);
  follower.onScreen(true); // catches up with what changed before
  EXPECT_TRUE(list.watching);
  EXPECT_EQ(list.items, (Texts{L"a", L"b"}));
  write("000 a\r\n");
  follower.activated(); // coming back to the strip
  EXPECT_EQ(list.items, Texts{L"a"});
  write("000 a\r\n001 b\r\n");
  follower.changed();

  list.dropped = true;
  write("000 c\r\n");
  follower.changed();
  follower.activated();
  EXPECT_EQ(list.items, (Texts{L"a", L"b"})) << "an open drop-down keeps its items";
  follower.closedUp();
  EXPECT_EQ(list.closeUpCalls, 1);
  list.dropped = false;
  follower.pendingDue();
  EXPECT_EQ(list.items, Texts{L"c"});
  write("000 d\r\n");
  follower.closedUp();
  follower.pendingDue(); // nothing was pending
  EXPECT_EQ(list.closeUpCalls, 1);
  EXPECT_EQ(list.items, Texts{L"c"});
  list.dropped = true;
  follower.droppingDown(); // before it opens
  EXPECT_EQ(list.items, Texts{L"d"});

  follower.shown();
  follower.hidden();
  EXPECT_FALSE(list.watching);
  follower.loaded(); // a fresh window: nothing to follow until filled, nothing pending
  list.dropped = false;
  write("000 e\r\n");
  follower.changed();
  follower.shown();
  EXPECT_EQ(list.onScreenCalls, 4);
  EXPECT_EQ(list.items, Texts{L"d"});
}

TEST_F(MemoFollowerTest, ReportsOnlyWhatDiffersFromWhatTheListWasFilledFrom) {
  showWith("000 a\r\n001 b\r\n");
  write("000 a\r\n000 b\r\n"); // other numbers, the same memos
  list.items.clear();
  follower.changed();
  EXPECT_EQ(list.items, Texts{}) << "not replaced";
  // Each a change, however alike: swapped, another letter, split otherwise,
  // a character that differs from the one before in its high byte only.
  const std::tuple<std::string, Texts> changes[] = {
      {"000 b\r\n001 a\r\n", {L"b", L"a"}},   {"000 b\r\n001 c\r\n", {L"b", L"c"}},
      {"000 ab\r\n001 c\r\n", {L"ab", L"c"}}, {"000 a\r\n001 bc\r\n", {L"a", L"bc"}},
      {"000 \x82\xa0\r\n", {L"あ"}},          {"000 B\r\n", {L"B"}},
  };
  for (const auto &[file, memos] : changes) {
    write(file);
    follower.changed();
    EXPECT_EQ(list.items, memos);
  }
  write("000 B\r\n000 a\r\n");
  follower.changed();
  write("001 B\r\n001 a\r\n"); // what the list shows again
  list.items.clear();
  follower.changed();
  EXPECT_EQ(list.items, Texts{}) << "not replaced";
  write("000 ab\r\n");
  follower.changed();
  EXPECT_EQ(list.items, Texts{L"ab"}) << "not the same as a, b";
  // The list refilled from a newer file, which then goes back to bytes the
  // follower saw before: the list follows it back.
  write("000 ab\r\n001 c\r\n");
  fill();
  write("000 ab\r\n");
  follower.changed();
  EXPECT_EQ(list.items, Texts{L"ab"});
}

TEST_F(MemoFollowerTest, TheStripsOwnWritesAreNotChangesAndAMissingFileIsNotCreated) {
  showWith("000 a\r\n");
  store.append(L"b");
  list.items.clear(); // the add empties the list
  follower.wroteFile();
  follower.changed();
  EXPECT_EQ(list.items, Texts{});
  store.append(L"by another copy");
  follower.changed();
  EXPECT_EQ(list.items, (Texts{L"a", L"b", L"by another copy"}));
  // The strip's write seen, then the file back as it was: followed.
  const std::string before = files.files["memo.txt"];
  store.append(L"c");
  list.items.clear();
  follower.wroteFile();
  write(before);
  follower.changed();
  EXPECT_EQ(list.items, (Texts{L"a", L"b", L"by another copy"}));
  // Written while another program holds the file: nothing to follow until
  // the list takes the focus and fills.
  store.append(L"d");
  list.items.clear();
  files.operations = 0;
  files.failAt = 1;
  follower.wroteFile();
  files.failAt = 0;
  write("000 other\r\n");
  follower.changed();
  EXPECT_EQ(list.items, Texts{});
  fill();
  files.files.clear();
  follower.changed();
  EXPECT_EQ(list.items, Texts{});
  EXPECT_FALSE(files.size("memo.txt"));
}

// Another writer truncates memo.txt, then writes it: the list meets the
// file empty or half-written before it settles.
TEST_F(MemoFollowerTest, APickStaysWithItsOwnMemoThroughARewriteInPlace) {
  showWith("000 X\r\n001 a\r\n002 b\r\n003 X\r\n004 c\r\n");
  pick(3); // the second X
  for (const std::string file : {"", "000 X\r\n001 a\r\n", "000 X\r\n001 a\r\n002 b\r\n003 X"}) {
    write(file);
    follower.changed();
    EXPECT_EQ(follower.picked(list.cursel, list.field), 3) << "the delete button's memo";
    EXPECT_EQ(follower.pickText(), L"X");
  }
  EXPECT_EQ(list.cursel, 3);
  // The user picks the first X: that is the pick now.
  pick(0);
  EXPECT_EQ(follower.picked(list.cursel, list.field), 0);
  // Lost to an empty file, the pick stays while its text is in the field.
  write("");
  follower.changed();
  EXPECT_EQ(follower.picked(-1, L"X"), 0);
  EXPECT_EQ(follower.picked(-1, L"Xy"), -1);
  // Typing ends it at once, even when the field shows its text again.
  follower.typed();
  EXPECT_EQ(follower.picked(-1, L"X"), -1);
  write("000 X\r\n");
  follower.changed();
  EXPECT_EQ(list.cursel, -1);
  // The first memo is picked like any other; a refill of the list ends it.
  pick(0);
  write("000 Y\r\n001 X\r\n");
  follower.changed();
  EXPECT_EQ(list.cursel, 1);
  write("");
  follower.changed();
  follower.filled(Texts{});
  EXPECT_EQ(follower.picked(-1, L"X"), -1);
  // So does the strip's own write.
  write("000 X\r\n");
  follower.changed();
  pick(0);
  write("");
  follower.changed();
  EXPECT_EQ(follower.picked(-1, L"X"), 0);
  follower.wroteFile();
  EXPECT_EQ(follower.picked(-1, L"X"), -1);
}

TEST(KeptPick, IsFoundAtItsPlaceOrTheOnePlaceHoldingItsText) {
  KeptPick pick;
  pick.look(1, L"b");
  EXPECT_EQ(pick.placeIn(Texts{L"a", L"b", L"c"}), 1);
  EXPECT_EQ(pick.placeIn(Texts{L"b", L"c"}), 0); // a memo above it was removed
  pick.look(0, L"b");                            // as placed: still the pick made at 1
  EXPECT_EQ(pick.placeIn(Texts{L"b", L"x", L"b"}), -1) << "two, neither at its place";
  EXPECT_EQ(pick.placeIn(Texts{L"b", L"b"}), 1);
  EXPECT_EQ(pick.placeIn(Texts{L"000 b"}), -1); // half-written
  EXPECT_EQ(pick.picked(-1, L"b"), 1);
  EXPECT_EQ(pick.picked(-1, L"bx"), -1);
  pick.look(-1, L"bx"); // typed over: no pick any more
  EXPECT_EQ(pick.placeIn(Texts{L"b"}), -1);
  EXPECT_EQ(pick.picked(-1, L"b"), -1);
  pick.look(2, L""); // an empty memo is a memo too
  EXPECT_EQ(pick.picked(-1, L""), 2);
  pick.forget();
  EXPECT_EQ(pick.picked(-1, L""), -1);
}

} // namespace
