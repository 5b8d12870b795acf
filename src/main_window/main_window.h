// The memo strip `Form1`: a one-line, title-less, always-on-top window with
// the memo list, four command buttons, a tiny hide button, a notification
// icon and its tray menu.
#pragma once

#include "main_window/commands.h"
#include "main_window/icon_record.h"
#include "memo/memo_store.h"
#include "platform/file_system_win32.h"
#include "platform/form.h"
#include "platform/handles.h"
#include "platform/registry_settings.h"

#include <functional>
#include <string>

namespace tallynix {

class MainWindow final : public platform::Form, private Form1Host {
public:
  // Control identifiers; tests find the controls by them.
  enum : int {
    kCombo1 = 1001,
    kCommandAdd = 1002,
    kCommandDelete = 1003,
    kCommandClear = 1004,
    kCommandClose = 1005,
    kCommandSmall = 1006,
    kMenuAbout = 3001,
    kMenuEnd = 3002,
  };

  MainWindow(platform::Runtime &runtime, std::function<void()> showAboutWindow);
  ~MainWindow() override;

  // Loads a fresh main window and shows it.
  void open() { Form::show(); }

private:
  // Form
  void create() override;
  void onLoad() override;
  void onUnload() override;
  bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;
  void onFirstShow() override;

  void createControls();
  void installIcon();
  void onCommand(int id, int code);
  bool onActivate(bool active);

  // Form1Host
  void setFileName(std::string_view name) override;
  void touch() override;
  std::vector<std::wstring> readAll() override;
  void append(int index, std::wstring_view text) override;
  void removeByIndex(int index) override;
  std::optional<std::uint64_t> sizeInBytes() override;
  void truncate() override;
  std::wstring listText() override;
  int listIndex() override;
  void setListIndex(int index) override;
  int listCount() override;
  void listClear() override;
  void listAddAll(std::span<const std::wstring> texts) override;
  void listRefresh() override;
  Position windowPosition() override;
  void savePosition(Position position) override;
  bool iconShown() override;
  void hide() override;
  void show() override;
  void unload() override;
  void load() override;
  void removeIcon() override;
  void endProgram() override;
  void setForeground() override;
  void processPendingEvents() override;
  void popUpTrayMenu() override;
  void showAbout() override;
  bool confirm(std::wstring_view text, std::wstring_view title) override;
  void tell(std::wstring_view text) override;

  platform::Win32FileSystem files_;
  MemoStore store_{files_};
  platform::RegistrySettings settings_;
  std::function<void()> showAboutWindow_;
  const UINT taskbarCreated_;

  // Window-level state; every load sets again what it uses.
  std::string FileName;
  IconRecord iconRecord_;
  bool iconAdded_ = false;
  HWND Combo1 = nullptr;
  HWND focusBeforeDeactivation_ = nullptr;
  bool restoringFocus_ = false;

  platform::UniqueFont font_;
  platform::UniqueBrush background_;
  platform::UniqueIcon icon_;
  platform::UniqueMenu menuBar_;
};

} // namespace tallynix
