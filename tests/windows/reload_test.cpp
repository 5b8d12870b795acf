// The window layer under Wine: a handler that unloads its own window and
// loads a fresh one (as deleting a memo does) returns to the one message
// loop, so thousands of reloads in a row neither nest loops nor grow the
// stack, and the program ends once no window is loaded. And the notification
// icon against a shell too busy to answer, its tip on every code page, and the
// record that sets its version.
#include "win32/form.h"
#include "win32/notify_icon.h"
#include "win32/runtime.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using tallynix::win32::Form;
using tallynix::win32::Runtime;

constexpr UINT kReload = WM_APP + 1;

class ReloadingForm final : public Form {
public:
  ReloadingForm(Runtime &runtime, int reloads) : Form(runtime), reloadsLeft_(reloads) {}

  int reloads = 0;
  int loads = 0;
  int unloads = 0;
  std::uintptr_t shallowest = UINTPTR_MAX;
  std::uintptr_t deepest = 0;

private:
  void create() override {
    WNDCLASSEXW windowClass{};
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"tallynix.test.Reloading";
    createWindow(windowClass, WS_EX_TOOLWINDOW, WS_POPUP, RECT{0, 0, 50, 20});
  }
  void onLoad() override {
    ++loads;
    PostMessageW(hwnd(), kReload, 0, 0);
  }
  void onUnload() override { ++unloads; }

  bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override {
    if (message != kReload)
      return Form::onMessage(message, wParam, lParam, result);
    // Where the stack stands while this handler runs.
    volatile char marker = 0;
    const auto depth = reinterpret_cast<std::uintptr_t>(&marker);
    shallowest = std::min(shallowest, depth);
    deepest = std::max(deepest, depth);
    if (reloadsLeft_-- > 0) {
      ++reloads;
      unload();
      // A fresh window; its load posts the next reload. Kept hidden: under
      // Wine every shown window costs an X window, and what is tested here
      // is where the handler returns to.
      load();
    } else {
      unload(); // the last window: the program ends
    }
    result = 0;
    return true;
  }

  int reloadsLeft_;
};

TEST(Reload, TwoThousandReloadsInARowKeepTheStackWhereItWas) {
  Runtime runtime(GetModuleHandleW(nullptr));
  ReloadingForm form(runtime, 2000);
  form.load();
  ASSERT_TRUE(form.loaded());
  EXPECT_EQ(runtime.run(), 0);

  EXPECT_EQ(form.reloads, 2000);
  EXPECT_EQ(form.loads, 2001);
  EXPECT_EQ(form.unloads, 2001);
  EXPECT_FALSE(form.loaded()) << "the loop ended with no window loaded";
  // A nested message loop per reload would push the handler deeper each
  // time: kilobytes per reload, megabytes over 2,000.
  EXPECT_LT(form.shallowest == UINTPTR_MAX ? 0 : form.deepest - form.shallowest, 1024u);
}

TEST(Reload, TheProgramEndsWhenTheLastWindowIsUnloadedBetweenEvents) {
  Runtime runtime(GetModuleHandleW(nullptr));
  ReloadingForm form(runtime, 0);
  form.load();
  EXPECT_EQ(runtime.run(), 0);
  EXPECT_EQ(form.loads, 1);
  EXPECT_EQ(form.unloads, 1);
  EXPECT_FALSE(form.loaded());
}

// A notification area that logs each command (add, modify, delete, focus,
// version: "amdfv") and answers from a script: '-' refused, as a busy shell
// gives up on a call that it may still carry out later; accepted once the
// script runs out.
std::string areaCalls, areaAnswers;
bool scriptedArea(std::uint32_t command, const tallynix::IconRecord &) {
  areaCalls += "amdfv"[command];
  const bool refused = !areaAnswers.empty() && areaAnswers[0] == '-';
  areaAnswers.erase(0, 1);
  return !refused;
}

TEST(NotifyIcon, AnIconTheShellGaveUpOnIsAddedAgainAndDeletedAtUnload) {
  // The shell's answers; what follows the add ('h' the hide button asks for
  // the icon again, 'r' the shell restarted); whether the icon is then in
  // place; the calls made. Every icon the shell takes gets the version.
  const std::tuple<const char *, const char *, bool, const char *> cases[] = {
      {"-", "", false, "ad"},           // deleted at unload whatever the add returned
      {"--+", "h", true, "aamvd"},      // shown late: taken over
      {"---", "h", false, "aamd"},      // never shown
      {"+", "h", true, "avd"},          // in place: not added again
      {"+-", "h", true, "avd"},         // the version refused: the icon works as before
      {"++-+", "r", true, "avamvd"},    // still there after the restart: taken over
      {"++--+", "r", true, "avamdavd"}, // neither added nor taken over: replaced
  };
  for (const auto &[answers, then, shown, calls] : cases) {
    areaCalls.clear();
    areaAnswers = answers;
    {
      tallynix::win32::NotifyIcon icon(scriptedArea);
      icon.add(tallynix::IconRecord::make(0x1234, 0x5678, "tip"));
      if (*then == 'h')
        icon.addAgain();
      if (*then == 'r')
        icon.restore();
      EXPECT_EQ(icon.shown(), shown) << answers;
      icon.remove();
      icon.remove(); // Exit after an unload deletes nothing more
    }
    EXPECT_EQ(areaCalls, calls) << answers;
  }
}

// The system's record as the shell's entry receives it, its size first.
std::vector<std::uint8_t> sent;
bool recordingShell(std::uint32_t, void *record, bool) {
  const auto *bytes = static_cast<const std::uint8_t *>(record);
  sent.assign(bytes, bytes + *static_cast<const DWORD *>(record));
  return true;
}

TEST(NotifyIcon, TheVersionAloneGoesInTheLongerRecord) {
  const auto record = tallynix::IconRecord::make(0x1234, 0x5678, "tip");
  tallynix::win32::shellNotificationArea(NIM_ADD, record, recordingShell);
  EXPECT_EQ(sent.size(), sizeof(void *) == 8 ? NOTIFYICONDATAA_V1_SIZE : tallynix::kIconRecordSize);
  tallynix::win32::shellNotificationArea(NIM_SETVERSION, record, recordingShell);
  NOTIFYICONDATAA data{};
  ASSERT_EQ(sent.size(), NOTIFYICONDATAA_V2_SIZE);
  std::memcpy(&data, sent.data(), sent.size());
  EXPECT_EQ(std::tuple(data.hWnd, data.uID, data.uVersion),
            std::tuple(reinterpret_cast<HWND>(0x1234), 1u, 3u));
}

TEST(NotifyIcon, TheTipGoesInTheAnsiCodePageWhereThatHoldsItElseInUtf16) {
  const std::wstring_view tip = L"タリニクス";
  const std::pair<unsigned, const char *> ansi[] = {
      {932, "\x83\x5e\x83\x8a\x83\x6a\x83\x4e\x83\x58"},
      {65001, "\xe3\x82\xbf\xe3\x83\xaa\xe3\x83\x8b\xe3\x82\xaf\xe3\x82\xb9"}, // UTF-8 for programs
  };
  for (const auto &[codePage, bytes] : ansi) {
    const auto record = tallynix::win32::iconRecord(1, 2, tip, codePage);
    EXPECT_FALSE(record.wide) << codePage;
    EXPECT_EQ(std::string(record.tip.data()), bytes) << codePage;
  }
  const auto western = tallynix::win32::iconRecord(1, 2, tip, 1252); // no katakana
  EXPECT_TRUE(western.wide);
  EXPECT_EQ(std::wstring(western.wideTip.begin(), western.wideTip.begin() + 6),
            std::wstring(tip) + L'\0');
}

} // namespace
