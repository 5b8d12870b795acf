// What each of the memo strip's commands does, step by step, written against
// the strip's few services so that the commands can be tested without a
// window. Portable: no Windows headers.
#pragma once

#include "core/memo_store.h"
#include "core/position.h"
#include "core/settings_store.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tallynix {

// What the user picked from the notification icon's menu.
enum class TrayChoice { none, about, exit };

// The memo strip as its commands see it.
class MemoStrip {
public:
  virtual ~MemoStrip() = default;

  // The memo list: the text in its edit field; the picked memo, which is
  // the selected item or one that the list lost to a file seen empty or
  // half-written while its text stays in the field (-1 for none), and its
  // text.
  virtual std::wstring typedText() = 0;
  virtual int selectedIndex() = 0;
  virtual std::wstring selectedText() = 0;
  // Replaces the items with `memos`; the edit field empties.
  virtual void showMemos(std::span<const std::wstring> memos) = 0;
  // Empties the items and the edit field.
  virtual void clearList() = 0;

  // The window: its left and top edges in twips; whether its notification
  // icon is in place, without which it must never hide; adding the icon
  // again where the shell refused it, true once it is in place.
  virtual Position position() = 0;
  virtual bool iconShown() = 0;
  virtual bool addIconAgain() = 0;
  // Loads a fresh strip, with its whole load sequence, when none is loaded,
  // then shows it on top of every window.
  virtual void open() = 0;
  // The keyboard's way to the strip: opens it as open() does, then makes it
  // the foreground window with the caret in the edit field, whose text stays.
  virtual void openForTyping() = 0;
  virtual void hide() = 0;
  // Destroys the window and removes its icon.
  virtual void unload() = 0;
  virtual void removeIcon() = 0;
  // Ends the program at once: no further events run.
  virtual void endProgram() = 0;
  // Pops the tray menu up and waits for the user's choice: at the cursor, or
  // for the keyboard at the icon with its first item selected, and then
  // dismissed, it gives the keyboard back to the notification area. Runs the
  // pending events first.
  virtual TrayChoice chooseFromTrayMenu(bool fromKeyboard) = 0;
  virtual void showAbout() = 0;
  // A millisecond clock that may wrap, for telling one click's events apart
  // from later ones.
  virtual std::uint32_t milliseconds() = 0;

  // Modal questions and messages.
  virtual bool confirm(std::wstring_view text, std::wstring_view title) = 0;
  virtual void tell(std::wstring_view text) = 0;
};

inline constexpr std::wstring_view kClearQuestion = L"本当に全てを削除しますか？";
inline constexpr std::wstring_view kClearTitle = L"確認";
inline constexpr std::wstring_view kNoIconToHideTo =
    L"通知領域にアイコンを表示できないため、隠せません。少し待ってからもう一度押してください。";
inline constexpr std::wstring_view kPickGone =
    L"選んだメモは、もう memo.txt にないため削除しませんでした。一覧を読み直しました。";
inline constexpr std::wstring_view kSelectionGone =
    L"選んだメモは、ほかで変更されたため削除しませんでした。一覧を読み直しました。";
inline constexpr std::wstring_view kChangedWhileAsked =
    L"確認の間にほかでメモが変更されたため、削除しませんでした。一覧を読み直しました。";

// The strip's commands: each handler of the strip calls one of these.
class MemoCommands {
public:
  MemoCommands(MemoStrip &strip, MemoStore &memos, SettingsStore &settings)
      : strip_(strip), memos_(memos), settings_(settings) {}

  // The memo list received the focus: fill it from the memo file.
  void refillList();
  // The add button: store the typed text as the next memo.
  void addMemo();
  // The delete button: delete the picked memo and open the strip afresh;
  // when memo.txt no longer holds it, or changed so that it no longer says
  // which memo that was, delete nothing, show the list as it is now and say
  // which.
  void deleteMemo();
  // The clear button: delete every memo after asking, unless memo.txt
  // changed while the question was open: then delete nothing, show the list
  // as it is now and say so.
  void clearAll();
  // The hide button: store the position and hide to the notification area;
  // where the icon cannot be shown, stay and say so.
  void hideToTray();
  // The close button: store the position, unload and end.
  void closeProgram();
  // Windows ends the session (sign-out, shutdown, or an installer closing
  // the program through the Restart Manager): as the close button, so that
  // the dragged place is kept. An open question counts as unanswered, and a
  // position that cannot be stored does not hold the session up.
  void endSession();
  // An event of the notification icon, as the strip reports it: the x of a
  // mouse move, in twips. While the tray menu is being prepared or is open,
  // the icon's events do nothing.
  void onIconMouse(float xTwips, float twipsPerPixel);

private:
  // After a right click the shell sends the menu key's event too, when the
  // button comes up: the menu the press opened must not open again. Counted
  // from the press, and again from the menu's close.
  static constexpr std::uint32_t kRightClickEchoMs = 500;

  void runTrayMenu(bool fromKeyboard);
  // The tray menu's Exit: store the position, remove the icon and end.
  void exitFromTray();
  // The tray menu's About: unload the strip (the position is not stored) and
  // show the About window.
  void openAbout();
  void storePosition();

  MemoStrip &strip_;
  MemoStore &memos_;
  SettingsStore &settings_;
  bool inTrayMenu_ = false;
  std::optional<std::uint32_t> rightClickAt_;
};

} // namespace tallynix
