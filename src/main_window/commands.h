// What each of the main window's commands does, step by step, written
// against the window's services so that the order of the steps can be
// tested without a window. Portable: no Windows headers.
#pragma once

#include "memo/position.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tallynix {

// The main window as its commands see it.
class Form1Host {
public:
  virtual ~Form1Host() = default;

  // The memo file named by the window's `FileName`.
  virtual void setFileName(std::string_view name) = 0;
  virtual void touch() = 0;
  virtual std::vector<std::wstring> readAll() = 0;
  virtual void append(int index, std::wstring_view text) = 0;
  virtual void removeByIndex(int index) = 0;
  virtual std::optional<std::uint64_t> sizeInBytes() = 0;
  virtual void truncate() = 0;

  // The list `Combo1`.
  virtual std::wstring listText() = 0;
  virtual int listIndex() = 0;
  virtual void setListIndex(int index) = 0;
  virtual int listCount() = 0;
  virtual void listClear() = 0; // items and edit text
  virtual void listAddAll(std::span<const std::wstring> texts) = 0;
  virtual void listRefresh() = 0;

  // The window and the program.
  virtual Position windowPosition() = 0; // Left and Top, twips
  virtual void savePosition(Position position) = 0;
  virtual bool iconShown() = 0;
  virtual void hide() = 0;
  virtual void show() = 0;
  virtual void unload() = 0;
  virtual void load() = 0; // a fresh main window, its whole load sequence
  virtual void removeIcon() = 0;
  virtual void endProgram() = 0;
  virtual void setForeground() = 0;
  virtual void processPendingEvents() = 0;
  // Pops up the tray menu at the cursor; returns once the chosen item's
  // handler has run or the menu was dismissed.
  virtual void popUpTrayMenu() = 0;
  virtual void showAbout() = 0;

  // Modal questions and messages.
  virtual bool confirm(std::wstring_view text, std::wstring_view title) = 0;
  virtual void tell(std::wstring_view text) = 0;
};

inline constexpr std::wstring_view kClearQuestion = L"本当に全てを削除しますか？";
inline constexpr std::wstring_view kClearTitle = L"確認";

// `Combo1` received the focus: fill it from the memo file.
void refillList(Form1Host &form);
// `Command_add`: store the typed text as the next memo.
void addMemo(Form1Host &form);
// `Command_delete`: delete the selected memo and reload the window.
void deleteMemo(Form1Host &form);
// `Command_clear`: empty the memo file after asking.
void clearAll(Form1Host &form);
// `Command_small`: store the position and hide to the notification area.
void hideToTray(Form1Host &form);
// `Command_close`: store the position, unload and end.
void closeProgram(Form1Host &form);
// `mnuEnd`: store the position, remove the icon and end.
void exitFromTray(Form1Host &form);
// `mnuAbout`: unload the main window (the position is not stored), show About.
void openAbout(Form1Host &form);
// A mouse move on the window's own surface, x in twips: the icon's messages.
void onIconMouse(Form1Host &form, float xTwips, float twipsPerPixel);

} // namespace tallynix
