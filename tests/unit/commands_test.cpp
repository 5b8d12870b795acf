// The order of each command's steps, against a fake window that records
// every call it receives.
#include "main_window/commands.h"

#include "memo/file_system.h"
#include "memo/memo_store.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tallynix;
using Calls = std::vector<std::string>;

namespace {

std::string narrow(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text)
    out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

class RecordingForm final : public Form1Host {
public:
  Calls calls;
  // What the fake answers.
  std::vector<std::wstring> file = {L"a", L"b"};
  std::wstring text;
  int index = -1;
  int count = 0;
  std::optional<std::uint64_t> size = 10;
  bool answer = true;
  bool icon = true;
  bool refuseText = false;

  void setFileName(std::string_view name) override {
    calls.push_back("FileName=" + std::string(name));
  }
  void touch() override { calls.push_back("touch"); }
  std::vector<std::wstring> readAll() override {
    calls.push_back("readAll");
    return file;
  }
  void append(int i, std::wstring_view t) override {
    calls.push_back("append " + std::to_string(i) + " " + narrow(t));
    if (refuseText)
      throw UnrepresentableText();
  }
  void removeByIndex(int i) override { calls.push_back("removeByIndex " + std::to_string(i)); }
  std::optional<std::uint64_t> sizeInBytes() override {
    calls.push_back("sizeInBytes");
    return size;
  }
  void truncate() override { calls.push_back("truncate"); }
  std::wstring listText() override { return text; }
  int listIndex() override { return index; }
  void setListIndex(int i) override { calls.push_back("listIndex=" + std::to_string(i)); }
  int listCount() override { return count; }
  void listClear() override { calls.push_back("listClear"); }
  void listAddAll(std::span<const std::wstring> texts) override {
    std::string joined = "listAdd";
    for (const auto &t : texts)
      joined += " " + narrow(t);
    calls.push_back(joined);
  }
  void listRefresh() override { calls.push_back("listRefresh"); }
  Position windowPosition() override { return {1500, 3000}; }
  void savePosition(Position p) override {
    std::ostringstream out;
    out << "savePosition " << p.left << "," << p.top;
    calls.push_back(out.str());
  }
  bool iconShown() override { return icon; }
  void hide() override { calls.push_back("hide"); }
  void show() override { calls.push_back("show"); }
  void unload() override { calls.push_back("unload"); }
  void load() override { calls.push_back("load"); }
  void removeIcon() override { calls.push_back("removeIcon"); }
  void endProgram() override { calls.push_back("end"); }
  void setForeground() override { calls.push_back("setForeground"); }
  void processPendingEvents() override { calls.push_back("doEvents"); }
  void popUpTrayMenu() override { calls.push_back("popUpTrayMenu"); }
  void showAbout() override { calls.push_back("showAbout"); }
  bool confirm(std::wstring_view t, std::wstring_view title) override {
    calls.push_back("confirm " + std::to_string(t == kClearQuestion) +
                    std::to_string(title == kClearTitle));
    return answer;
  }
  void tell(std::wstring_view) override { calls.push_back("tell"); }
};

} // namespace

TEST(Refill, TouchesClearsReadsAddsAndRepaints) {
  RecordingForm form;
  refillList(form);
  EXPECT_EQ(form.calls, (Calls{"FileName=memo.txt", "touch", "listClear", "readAll", "listAdd a b",
                               "listRefresh"}));
}

TEST(Add, AppendsAtTheItemCountThenClearsTheList) {
  RecordingForm form;
  form.text = L"  new memo ";
  form.count = 3;
  addMemo(form);
  EXPECT_EQ(form.calls, (Calls{"FileName=memo.txt", "touch", "append 3   new memo ", "listClear"}));
}

TEST(Add, StoresATextOfSpaces) {
  RecordingForm form;
  form.text = L"   ";
  addMemo(form);
  EXPECT_EQ(form.calls, (Calls{"FileName=memo.txt", "touch", "append 0    ", "listClear"}));
}

TEST(Add, EmptyTextOnlyTouches) {
  RecordingForm form;
  addMemo(form);
  EXPECT_EQ(form.calls, (Calls{"FileName=memo.txt", "touch"}));
}

TEST(Add, RefusedTextIsExplainedAndStaysInTheField) {
  RecordingForm form;
  form.text = L"x";
  form.refuseText = true;
  addMemo(form);
  EXPECT_EQ(form.calls, (Calls{"FileName=memo.txt", "touch", "append 0 x", "tell"}));
}

TEST(Delete, RemovesDeselectsSavesThenReloads) {
  RecordingForm form;
  form.text = L"b";
  form.index = 1;
  deleteMemo(form);
  EXPECT_EQ(form.calls, (Calls{"FileName=memo.txt", "touch", "removeByIndex 1", "listIndex=-1",
                               "savePosition 1500,3000", "unload", "load"}));
}

TEST(Delete, NothingSelectedOnlyTouches) {
  RecordingForm form;
  form.text = L"typed but not selected";
  deleteMemo(form);
  EXPECT_EQ(form.calls, (Calls{"FileName=memo.txt", "touch"}));
}

TEST(Delete, BlankTextOnlyTouches) {
  for (const wchar_t *blank : {L"", L" ", L"    "}) {
    RecordingForm form;
    form.text = blank;
    form.index = 0;
    deleteMemo(form);
    EXPECT_EQ(form.calls, (Calls{"FileName=memo.txt", "touch"}));
  }
}

TEST(Delete, IdeographicSpacesAreNotBlank) {
  RecordingForm form;
  form.text = L"\u3000";
  form.index = 0;
  deleteMemo(form);
  EXPECT_EQ(form.calls.at(2), "removeByIndex 0");
}

TEST(ClearAll, AsksThenTruncatesAndClearsTheList) {
  RecordingForm form;
  clearAll(form);
  EXPECT_EQ(form.calls,
            (Calls{"sizeInBytes", "confirm 11", "FileName=memo.txt", "truncate", "listClear"}));
}

TEST(ClearAll, CancelChangesNothing) {
  RecordingForm form;
  form.answer = false;
  clearAll(form);
  EXPECT_EQ(form.calls, (Calls{"sizeInBytes", "confirm 11"}));
}

TEST(ClearAll, EmptyOrMissingFileAsksNothing) {
  RecordingForm empty;
  empty.size = 0;
  clearAll(empty);
  EXPECT_EQ(empty.calls, (Calls{"sizeInBytes"}));
  RecordingForm missing;
  missing.size = std::nullopt;
  clearAll(missing);
  EXPECT_EQ(missing.calls, (Calls{"sizeInBytes"}));
}

TEST(Hide, SavesThenHides) {
  RecordingForm form;
  hideToTray(form);
  EXPECT_EQ(form.calls, (Calls{"savePosition 1500,3000", "hide"}));
}

TEST(Hide, WithoutAnIconTheWindowStaysReachable) {
  RecordingForm form;
  form.icon = false;
  hideToTray(form);
  EXPECT_EQ(form.calls, (Calls{"savePosition 1500,3000"}));
}

TEST(Close, SavesUnloadsEnds) {
  RecordingForm form;
  closeProgram(form);
  EXPECT_EQ(form.calls, (Calls{"savePosition 1500,3000", "unload", "end"}));
}

TEST(Exit, SavesRemovesTheIconEnds) {
  RecordingForm form;
  exitFromTray(form);
  EXPECT_EQ(form.calls, (Calls{"savePosition 1500,3000", "removeIcon", "end"}));
}

TEST(About, UnloadsWithoutSavingThenShowsAbout) {
  RecordingForm form;
  openAbout(form);
  EXPECT_EQ(form.calls, (Calls{"unload", "showAbout"}));
}

TEST(IconMouse, LeftPressShowsRightPressPopsUpTheMenuOthersNothing) {
  RecordingForm left;
  onIconMouse(left, 513 * 15, 15);
  EXPECT_EQ(left.calls, (Calls{"show"}));

  RecordingForm right;
  onIconMouse(right, 516 * 12, 12);
  EXPECT_EQ(right.calls, (Calls{"setForeground", "doEvents", "popUpTrayMenu"}));

  RecordingForm other;
  for (int message : {512, 514, 515, 517, 518, 519})
    onIconMouse(other, static_cast<float>(message * 10), 10);
  onIconMouse(other, 4 * 15, 15); // an ordinary move over the window
  EXPECT_TRUE(other.calls.empty());
}

TEST(IconMouse, DoubleClickShowsOnce) {
  RecordingForm form;
  for (int message : {513, 514, 515, 514}) // press, release, double click, release
    onIconMouse(form, static_cast<float>(message * 15), 15);
  EXPECT_EQ(form.calls, (Calls{"show"}));
}
