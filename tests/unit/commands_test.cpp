// The strip's commands, against memo.txt in memory and a fake strip that
// keeps what a user would see: the list, the typed text, the window's
// visibility, the stored position and the messages shown.
#include "core/commands.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

using namespace tallynix;
using Texts = std::vector<std::wstring>;

namespace {

class FakeStrip final : public MemoStrip {
public:
  // What the user sees.
  Texts items;
  std::wstring typed;
  int selected = -1;
  bool loaded = true;
  bool visible = true;
  bool icon = true;
  bool shellTakesIcon = false; // when the icon is added again
  bool ended = false;
  bool aboutShown = false;
  Position at{1500, 3000};
  std::vector<std::wstring> told;
  std::vector<std::wstring> asked;

  // How the user answers, and what happens elsewhere while a question is open.
  bool answer = true;
  std::function<void()> whileAsked;
  TrayChoice choice = TrayChoice::none;
  std::string menus; // one letter per menu opened: 'm' the mouse's, 'k' the keyboard's
  std::function<void()> whileMenu; // what arrives while the next menu is open
  std::uint32_t clock = 0;

  // Called back when the strip loads afresh, as the real window's first
  // show focuses the list.
  std::function<void()> onOpen;
  int loads = 0;
  int typingOpens = 0; // by the keyboard, with the caret in the field
  bool positionStoredWhileLoaded = false;
  std::function<void()> onStorePosition;

  std::wstring typedText() override { return typed; }
  int selectedIndex() override { return selected; }
  std::wstring selectedText() override {
    return selected >= 0 && selected < static_cast<int>(items.size())
               ? items[static_cast<std::size_t>(selected)]
               : std::wstring();
  }
  void showMemos(std::span<const std::wstring> memos) override {
    items.assign(memos.begin(), memos.end());
    typed.clear();
    selected = -1;
  }
  void clearList() override {
    items.clear();
    typed.clear();
    selected = -1;
  }
  Position position() override {
    if (onStorePosition)
      onStorePosition();
    return at;
  }
  bool iconShown() override { return loaded && icon; }
  bool addIconAgain() override { return icon = loaded && (icon || shellTakesIcon); }
  void open() override {
    if (!loaded) {
      loaded = true;
      ++loads;
      clearList();
      if (onOpen)
        onOpen();
    }
    visible = true;
  }
  void openForTyping() override {
    open();
    ++typingOpens;
  }
  void hide() override { visible = false; }
  void unload() override {
    loaded = false;
    visible = false;
    clearList();
  }
  void removeIcon() override { icon = false; }
  void endProgram() override { ended = true; }
  TrayChoice chooseFromTrayMenu(bool fromKeyboard) override {
    menus += fromKeyboard ? 'k' : 'm';
    if (const auto arriving = std::exchange(whileMenu, nullptr))
      arriving();
    return choice;
  }
  void showAbout() override { aboutShown = true; }
  std::uint32_t milliseconds() override { return clock; }
  bool confirm(std::wstring_view text, std::wstring_view title) override {
    asked.push_back(std::wstring(title) + L":" + std::wstring(text));
    if (whileAsked)
      whileAsked();
    return answer;
  }
  void tell(std::wstring_view text) override { told.emplace_back(text); }
};

class Commands : public ::testing::Test {
protected:
  tallynix::testing::MemoryFileSystem files;
  MemoStore memos{files};
  tallynix::testing::MemorySettings settings;
  FakeStrip strip;
  MemoCommands commands{strip, memos, settings};

  std::string &memoFile() { return files.files["memo.txt"]; }
  bool positionStored() const { return !settings.values.empty(); }
  Position storedPosition() { return loadPosition(settings); }

  // The user clicks into the list, types a memo and presses add.
  void add(std::wstring_view text) {
    commands.refillList();
    strip.typed = text;
    commands.addMemo();
  }
  // The user opens the list, picks item `index` and presses delete.
  void pickAndDelete(int index) {
    commands.refillList();
    strip.selected = index;
    strip.typed = strip.items.at(static_cast<std::size_t>(index));
    commands.deleteMemo();
  }
};

} // namespace

TEST_F(Commands, FocusOnTheListCreatesTheFileAndShowsEveryMemo) {
  commands.refillList();
  EXPECT_EQ(files.files.count("memo.txt"), 1u);
  EXPECT_TRUE(strip.items.empty());

  memoFile() = "000 a\r\n001 \x93\xfa\x96\x7b\r\n"; // as another program left it
  strip.typed = L"half typed";
  commands.refillList();
  EXPECT_EQ(strip.items, (Texts{L"a", L"日本"}));
  EXPECT_EQ(strip.typed, L"");
}

TEST_F(Commands, AddStoresTheTypedTextUnderTheNextNumberAndEmptiesTheField) {
  add(L"  new memo ");
  add(L"   ");
  add(L"日本語");
  EXPECT_EQ(memoFile(), "000   new memo \r\n001    \r\n002 \x93\xfa\x96\x7b\x8c\xea\r\n");
  EXPECT_EQ(strip.typed, L"");
  commands.refillList();
  EXPECT_EQ(strip.items, (Texts{L"  new memo ", L"   ", L"日本語"}));
}

TEST_F(Commands, AddWithAnEmptyFieldOnlyCreatesTheFile) {
  commands.addMemo();
  ASSERT_EQ(files.files.count("memo.txt"), 1u);
  EXPECT_EQ(memoFile(), "");
  EXPECT_TRUE(strip.told.empty());
}

TEST_F(Commands, TextThatCannotBeStoredIsExplainedAndStaysInTheField) {
  add(L"keep");
  add(L"絵文字\U0001F600");
  EXPECT_EQ(memoFile(), "000 keep\r\n");
  EXPECT_EQ(strip.typed, L"絵文字\U0001F600");
  ASSERT_EQ(strip.told.size(), 1u);
}

TEST_F(Commands, AFailedWriteKeepsTheTypedText) {
  commands.refillList();
  files.failWrites = true;
  strip.typed = L"precious";
  EXPECT_THROW(commands.addMemo(), FileError);
  EXPECT_EQ(strip.typed, L"precious");
  EXPECT_EQ(memoFile(), "");
}

TEST_F(Commands, DeleteRemovesTheSelectedMemoStoresThePositionAndOpensAfresh) {
  add(L"a");
  add(L"b");
  add(L"c");
  // The position is stored while the strip is still there to ask.
  strip.onStorePosition = [this] { strip.positionStoredWhileLoaded = strip.loaded; };
  strip.onOpen = [this] { commands.refillList(); };
  pickAndDelete(1);
  EXPECT_EQ(memoFile(), "000 a\r\n001 c\r\n");
  EXPECT_TRUE(strip.positionStoredWhileLoaded);
  EXPECT_EQ(storedPosition().left, 1500);
  EXPECT_EQ(storedPosition().top, 3000);
  EXPECT_EQ(strip.loads, 1);
  EXPECT_TRUE(strip.visible);
  EXPECT_EQ(strip.items, (Texts{L"a", L"c"}));
}

TEST_F(Commands, AddNumbersFromTheFileNotFromTheList) {
  add(L"a");
  memoFile() += "001 from another copy\r\n"; // the list does not show it
  strip.typed = L"b";
  commands.addMemo();
  EXPECT_EQ(memoFile(), "000 a\r\n001 from another copy\r\n002 b\r\n");
}

TEST_F(Commands, DeleteFindsTheSelectedMemoAfterAnotherWriterRenumbered) {
  add(L"a");
  add(L"b");
  add(L"c");
  commands.refillList();
  memoFile() = "000 b\r\n001 c\r\n"; // "a" deleted elsewhere
  strip.selected = 1;
  strip.typed = L"b";
  strip.onOpen = [this] { commands.refillList(); };
  commands.deleteMemo();
  EXPECT_EQ(memoFile(), "000 c\r\n");
  EXPECT_EQ(strip.items, (Texts{L"c"}));
  EXPECT_TRUE(strip.told.empty());
}

TEST_F(Commands, DeleteOfAMemoThatIsGoneOrAmbiguousDeletesNothingAndShowsTheFile) {
  add(L"a");
  add(L"b");
  commands.refillList();
  const std::tuple<std::string, Texts, std::wstring_view> changes[] = {
      {"000 a\r\n", {L"a"}, kPickGone},                                    // "b" is gone
      {"000 b\r\n001 x\r\n002 b\r\n", {L"b", L"x", L"b"}, kSelectionGone}, // which "b"?
  };
  for (const auto &[now, shown, message] : changes) {
    memoFile() = now;
    strip.items = {L"a", L"b"};
    strip.selected = 1;
    strip.typed = L"b";
    commands.deleteMemo();
    EXPECT_EQ(memoFile(), now);
    EXPECT_EQ(strip.items, shown);
    ASSERT_FALSE(strip.told.empty());
    EXPECT_EQ(strip.told.back(), message);
  }
  EXPECT_EQ(strip.told.size(), 2u);
  EXPECT_EQ(strip.loads, 0);
  EXPECT_FALSE(positionStored());
}

TEST_F(Commands, DeleteWithoutASelectionChangesNothing) {
  commands.deleteMemo();
  ASSERT_EQ(files.files.count("memo.txt"), 1u) << "it makes sure the file is there";
  memoFile() = "000 a\r\n001 \r\n"; // an empty memo is picked by nothing
  commands.refillList();
  strip.typed = L"typed but not selected";
  commands.deleteMemo();
  strip.typed.clear();
  commands.deleteMemo();
  EXPECT_EQ(memoFile(), "000 a\r\n001 \r\n");
  EXPECT_FALSE(positionStored());
  EXPECT_EQ(strip.loads, 0);
}

TEST_F(Commands, APickedMemoGoesWhateverItHolds) {
  memoFile() = "000  \r\n001 \x81\x40\r\n\r\n003 a\r\n"; // a space, an ideographic one, none
  strip.onOpen = [this] { commands.refillList(); };
  for (const char *left : {"000 \x81\x40\r\n001\r\n002 a\r\n", "000\r\n001 a\r\n", "000 a\r\n"}) {
    pickAndDelete(0);
    EXPECT_EQ(memoFile(), left);
  }
  EXPECT_EQ(strip.loads, 3);
}

TEST_F(Commands, AFailedDeleteKeepsTheFileAndTheStrip) {
  add(L"a");
  files.failWrites = true;
  EXPECT_THROW(pickAndDelete(0), FileError);
  EXPECT_EQ(memoFile(), "000 a\r\n");
  EXPECT_TRUE(strip.loaded);
  EXPECT_FALSE(positionStored());
}

TEST_F(Commands, ClearAllEmptiesTheFileOnlyAfterTheUserAgrees) {
  add(L"a");
  add(L"b");
  strip.answer = false;
  commands.clearAll();
  EXPECT_EQ(memoFile(), "000 a\r\n001 b\r\n");
  strip.answer = true;
  strip.typed = L"typed";
  commands.clearAll();
  EXPECT_EQ(memoFile(), "");
  EXPECT_EQ(strip.typed, L"");
  EXPECT_EQ(strip.asked, (std::vector<std::wstring>(2, std::wstring(kClearTitle) + L":" +
                                                           std::wstring(kClearQuestion))));
}

TEST_F(Commands, ClearAllAsksNothingWhenThereIsNothingToClear) {
  commands.clearAll(); // no memo.txt at all
  EXPECT_EQ(files.files.count("memo.txt"), 0u);
  commands.refillList();
  commands.clearAll();         // an empty one
  memoFile() = "\xEF\xBB\xBF"; // a UTF-8 one with no memos
  commands.clearAll();
  EXPECT_TRUE(strip.asked.empty());
}

TEST_F(Commands, ClearAllEmptiesOnlyTheMemosTheUserWasAskedAbout) {
  add(L"a");
  add(L"b");
  commands.refillList();
  strip.whileAsked = [this] { memoFile() += "002 new\r\n"; }; // another copy adds one
  commands.clearAll();
  EXPECT_EQ(memoFile(), "000 a\r\n001 b\r\n002 new\r\n");
  EXPECT_EQ(strip.items, (Texts{L"a", L"b", L"new"}));
  EXPECT_EQ(strip.told, std::vector<std::wstring>{std::wstring(kChangedWhileAsked)});
}

TEST_F(Commands, ClearAllLeavesAUtf8FileUtf8) {
  memoFile() = "\xEF\xBB\xBF"
               "000 \xF0\x9F\x98\x80\r\n";
  commands.clearAll();
  EXPECT_EQ(memoFile(), "\xEF\xBB\xBF");
}

TEST_F(Commands, HideStoresThePositionAndHidesOnlyWithAnIcon) {
  commands.hideToTray();
  EXPECT_FALSE(strip.visible);
  EXPECT_EQ(storedPosition().left, 1500);

  strip.open();
  strip.icon = false; // the shell gave up on the add
  strip.at = {30, 45};
  commands.hideToTray();
  EXPECT_TRUE(strip.visible); // without an icon it could never come back
  EXPECT_EQ(storedPosition().left, 30);
  EXPECT_EQ(strip.told, Texts{std::wstring(kNoIconToHideTo)});

  strip.shellTakesIcon = true; // the shell has caught up
  commands.hideToTray();
  EXPECT_FALSE(strip.visible);
  EXPECT_EQ(strip.told.size(), 1u);
}

TEST_F(Commands, CloseStoresThePositionUnloadsAndEnds) {
  strip.onStorePosition = [this] { strip.positionStoredWhileLoaded = strip.loaded; };
  commands.closeProgram();
  EXPECT_TRUE(strip.positionStoredWhileLoaded);
  EXPECT_FALSE(strip.loaded);
  EXPECT_TRUE(strip.ended);
}

TEST_F(Commands, TheSessionEndStoresThePositionAsCloseDoesAndEndsWhateverHappens) {
  strip.onStorePosition = [this] { strip.positionStoredWhileLoaded = strip.loaded; };
  commands.endSession();
  EXPECT_TRUE(strip.positionStoredWhileLoaded);
  EXPECT_EQ(storedPosition().top, 3000);
  EXPECT_FALSE(strip.loaded);
  EXPECT_TRUE(strip.ended);

  strip.open();
  strip.ended = false;
  strip.onStorePosition = [] { throw std::runtime_error("no place to store"); };
  commands.endSession();
  EXPECT_FALSE(strip.loaded);
  EXPECT_TRUE(strip.ended);
}

TEST_F(Commands, TheIconsLeftPressShowsTheStripEnterBringsItToTheKeyboardOthersDoNothing) {
  strip.hide();
  for (int message : {512, 514, 515, 517, 518, 519, 1024})
    commands.onIconMouse(static_cast<float>(message * 10), 10);
  commands.onIconMouse(4 * 15, 15); // an ordinary move over the window
  EXPECT_FALSE(strip.visible);
  commands.onIconMouse(513 * 15, 15);
  EXPECT_TRUE(strip.visible);
  EXPECT_EQ(strip.typingOpens, 0);
  strip.hide();
  commands.onIconMouse(1025 * 15, 15); // Enter or Space on the icon
  EXPECT_TRUE(strip.visible);
  EXPECT_EQ(strip.typingOpens, 1);
  EXPECT_EQ(strip.menus, "");
  // A left press right after a right click's menu is a click of its own.
  strip.hide();
  commands.onIconMouse(516 * 15, 15);
  commands.onIconMouse(513 * 15, 15);
  EXPECT_TRUE(strip.visible);
}

TEST_F(Commands, ARightClickOpensTheMenuOnceTheMenuKeyOpensItTooNothingNests) {
  // The icon's events (a negative number: that many milliseconds pass), those
  // that arrive while the first menu is open, and the menus that open.
  const std::tuple<std::vector<int>, std::vector<int>, const char *> cases[] = {
      {{516}, {517, 123, 516, 513, 1025}, "m"}, // the click's echo inside the menu
      {{516, 123}, {-600}, "m"},                // after it: counted from its close
      {{516, -500, 123}, {}, "m"},              // half a second on: still its echo
      {{516, -600, 123, 123}, {}, "mkk"},       // an echo that never came; the menu key
  };
  for (const auto &[events, during, menus] : cases) {
    MemoCommands icon{strip, memos, settings};
    const auto deliver = [&](const std::vector<int> &list) {
      for (int event : list)
        event < 0 ? void(strip.clock -= static_cast<std::uint32_t>(event))
                  : icon.onIconMouse(static_cast<float>(event * 15), 15);
    };
    strip.hide();
    strip.menus.clear();
    strip.whileMenu = [&] { deliver(during); };
    deliver(events);
    EXPECT_EQ(strip.menus, menus) << menus;
    EXPECT_FALSE(strip.visible) << menus;
  }
}

TEST_F(Commands, TheTrayMenusExitStoresThePositionRemovesTheIconAndEnds) {
  strip.choice = TrayChoice::exit;
  commands.onIconMouse(516 * 12, 12);
  EXPECT_TRUE(positionStored());
  EXPECT_FALSE(strip.icon);
  EXPECT_TRUE(strip.ended);
}

TEST_F(Commands, TheTrayMenusAboutUnloadsWithoutStoringThePosition) {
  strip.choice = TrayChoice::about;
  commands.onIconMouse(516 * 15, 15);
  EXPECT_FALSE(strip.loaded);
  EXPECT_TRUE(strip.aboutShown);
  EXPECT_FALSE(positionStored());
}

TEST_F(Commands, ADismissedTrayMenuChangesNothing) {
  commands.onIconMouse(516 * 15, 15);
  EXPECT_TRUE(strip.loaded);
  EXPECT_FALSE(strip.ended);
  EXPECT_FALSE(strip.aboutShown);
}

#ifdef _WIN32
// Windows gives a program five seconds to answer at sign-out. Here each wait
// of a delete lasts as long as it may (touch, the turn, the read, the read
// after a pick that is gone), on a clock that only the waits move.
TEST(CommandsOnWindows, ADeleteWaitsLessThanFiveSecondsForAllItDoes) {
  tallynix::testing::ScratchFolder folder;
  tallynix::testing::writeBytes(folder.file("memo.txt"), "000 a\r\n");
  win32::FileCalls calls = win32::FileCalls::real();
  ULONGLONG now = 0, busyUntil = 0;
  calls.now = [&] { return now; };
  calls.sleep = [&](DWORD ms) { now += ms; };
  calls.open = [&, open = calls.open](const std::wstring &path, DWORD access, DWORD share,
                                      DWORD disposition, DWORD flags) {
    const bool lock = path.ends_with(L".lock"), busy = lock || path.ends_with(L"\\memo.txt");
    if (busy && !(flags & FILE_FLAG_BACKUP_SEMANTICS)) { // where memo.txt leads: looked up once
      busyUntil = busyUntil ? busyUntil : now + (lock ? 2450 : 950); // let go just in time
      if (now < busyUntil) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
      }
      busyUntil = 0;
    }
    return open(path, access, share, disposition, flags);
  };
  win32::Win32FileSystem files(calls);
  MemoStore memos(files, folder.file("memo.txt"));
  tallynix::testing::MemorySettings settings;
  FakeStrip strip;
  strip.items = {L"gone"};
  strip.selected = 0;
  EXPECT_THROW(MemoCommands(strip, memos, settings).deleteMemo(), FileError);
  EXPECT_LT(now, 5000u);
}
#endif
