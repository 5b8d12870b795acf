// The memo strip: a one-line, title-less, always-on-top window with the memo
// list, four command buttons, a tiny hide button, a notification icon and
// its tray menu.
#pragma once

#include "app/memo_file_watch.h"
#include "app/strip_layout.h"
#include "app/strip_tooltips.h"
#include "core/commands.h"
#include "core/memo_follower.h"
#include "core/memo_store.h"
#include "win32/file_system_win32.h"
#include "win32/form.h"
#include "win32/handles.h"
#include "win32/notify_icon.h"
#include "win32/registry_settings.h"

#include <functional>
#include <string>

namespace tallynix {

class MainWindow final : public win32::Form, private MemoStrip, private FollowedList {
public:
  MainWindow(win32::Runtime &runtime, std::function<void()> showAboutWindow);

  // Loads a fresh strip when none is loaded, then shows it; a strip in view
  // comes back on top.
  void open() override;

private:
  // Form
  void create() override;
  SIZE layOut() override;
  void onLoad() override;
  void onUnload() override;
  bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;
  void onFirstShow() override;

  void createControls();
  void addIcon();
  void onCommand(int id, int code);
  bool onActivate(bool active);
  void giveForegroundBack(HWND window, HWND before);

  void emptyList();
  void addItems(std::span<const std::wstring> memos);
  void withoutRedraw(FunctionRef change);

  // MemoStrip
  std::wstring typedText() override;
  int selectedIndex() override;
  std::wstring selectedText() override;
  void showMemos(std::span<const std::wstring> memos) override;
  void clearList() override;
  Position position() override;
  bool iconShown() override;
  bool addIconAgain() override;
  void openForTyping() override;
  void hide() override;
  void unload() override;
  void removeIcon() override;
  void endProgram() override;
  TrayChoice chooseFromTrayMenu(bool fromKeyboard) override;
  void showAbout() override;
  std::uint32_t milliseconds() override;
  bool confirm(std::wstring_view text, std::wstring_view title) override;
  void tell(std::wstring_view text) override;

  // FollowedList
  bool droppedDown() override;
  int selectedItem() override;
  void replaceItems(std::span<const std::wstring> memos, int select) override;
  void startWatching() override;
  void stopWatching() override;
  void callOnScreen() override;
  void callAfterCloseUp() override;

  win32::Win32FileSystem files_;
  MemoStore memos_{files_};
  win32::RegistrySettings settings_;
  MemoCommands commands_{*this, memos_, settings_};
  MemoFollower follower_{memos_, *this};
  std::function<void()> showAboutWindow_;
  const UINT taskbarCreated_;

  // Window-level state; every load sets again what it uses.
  win32::NotifyIcon icon_;
  HWND memoList_ = nullptr;
  HWND focusBeforeDeactivation_ = nullptr;
  bool restoringFocus_ = false;
  MemoFileWatch watch_;

  StripLayout layout_;
  StripTooltips tooltips_;
  win32::UniqueBrush background_;
  win32::UniqueIcon iconImage_;
  win32::UniqueMenu menuBar_; // never attached: its one item is the tray menu
};

} // namespace tallynix
