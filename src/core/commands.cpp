#include "core/commands.h"

#include "core/error_text.h"
#include "core/icon_clicks.h"

#include <algorithm>
#include <exception>

namespace tallynix {

void MemoCommands::refillList() {
  const FileCommand command = memos_.command();
  memos_.touch();
  strip_.showMemos(memos_.readAll());
}

void MemoCommands::addMemo() {
  const FileCommand command = memos_.command();
  memos_.touch();
  const std::wstring text = strip_.typedText();
  if (text.empty())
    return;
  try {
    memos_.append(text);
  } catch (const UnrepresentableText &error) {
    // Keep the text in the field so that nothing typed is lost.
    strip_.tell(describeError(error));
    return;
  }
  strip_.clearList();
}

void MemoCommands::deleteMemo() {
  const FileCommand command = memos_.command();
  memos_.touch();
  // A picked memo goes, whatever it holds: spaces and nothing at all too.
  const int index = strip_.selectedIndex();
  if (index == -1)
    return;
  const std::wstring text = strip_.selectedText();
  if (!memos_.removeSelected(index, text)) {
    const std::vector<std::wstring> now = memos_.readAll();
    strip_.showMemos(now);
    strip_.tell(std::find(now.begin(), now.end(), text) == now.end() ? kPickGone : kSelectionGone);
    return;
  }
  storePosition();
  strip_.unload();
  strip_.open();
}

void MemoCommands::clearAll() {
  // A memo file that vanished since the strip loaded holds nothing to clear.
  const std::optional<MemoSnapshot> asked = memos_.snapshot();
  if (!asked || asked->memos.empty())
    return;
  if (!strip_.confirm(kClearQuestion, kClearTitle))
    return;
  const FileCommand command = memos_.command(); // from the answer on
  if (!memos_.clear(*asked)) {
    refillList();
    strip_.tell(kChangedWhileAsked);
    return;
  }
  strip_.clearList();
}

void MemoCommands::hideToTray() {
  storePosition();
  // Without a notification icon a hidden window could never come back. A
  // shell that was too busy to take the icon at start-up may take it now.
  if (!strip_.iconShown() && !strip_.addIconAgain()) {
    strip_.tell(kNoIconToHideTo);
    return;
  }
  strip_.hide();
}

void MemoCommands::closeProgram() {
  storePosition();
  strip_.unload();
  strip_.endProgram();
}

void MemoCommands::endSession() {
  try {
    storePosition();
  } catch (const std::exception &) {
    // Ending matters more than the place: the system may end the process
    // at any moment.
  }
  strip_.unload();
  strip_.endProgram();
}

void MemoCommands::exitFromTray() {
  storePosition();
  strip_.removeIcon();
  strip_.endProgram();
}

void MemoCommands::openAbout() {
  strip_.unload();
  strip_.showAbout();
}

void MemoCommands::onIconMouse(float xTwips, float twipsPerPixel) {
  const IconAction action = iconActionFor(iconMessageFromTwips(xTwips, twipsPerPixel));
  if (action == IconAction::contextMenu && rightClickAt_) {
    const bool echo = inTrayMenu_ || strip_.milliseconds() - *rightClickAt_ <= kRightClickEchoMs;
    rightClickAt_.reset();
    if (echo)
      return;
  }
  // A menu inside the menu would fail at once, and the strip would then give
  // the foreground away.
  if (inTrayMenu_)
    return;
  switch (action) {
  case IconAction::showWindow:
    strip_.open();
    break;
  case IconAction::showForTyping:
    strip_.openForTyping();
    break;
  case IconAction::trayMenu:
    // Marked before the menu's pending events run: the echo may be among them.
    rightClickAt_ = strip_.milliseconds();
    runTrayMenu(false);
    break;
  case IconAction::contextMenu:
    runTrayMenu(true);
    break;
  case IconAction::none:
    break;
  }
}

void MemoCommands::runTrayMenu(bool fromKeyboard) {
  inTrayMenu_ = true;
  struct Closed {
    bool &inMenu;
    ~Closed() { inMenu = false; }
  } closed{inTrayMenu_};
  const TrayChoice choice = strip_.chooseFromTrayMenu(fromKeyboard);
  if (rightClickAt_)
    rightClickAt_ = strip_.milliseconds(); // the button may come up only now
  switch (choice) {
  case TrayChoice::about:
    openAbout();
    break;
  case TrayChoice::exit:
    exitFromTray();
    break;
  case TrayChoice::none:
    break;
  }
}

void MemoCommands::storePosition() { savePosition(settings_, strip_.position()); }

} // namespace tallynix
