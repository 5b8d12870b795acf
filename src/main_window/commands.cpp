#include "main_window/commands.h"

#include "main_window/placement.h"
#include "memo/memo_store.h"
#include "platform/error_text.h"

namespace tallynix {
namespace {

bool isBlank(std::wstring_view text) {
  // Only the ASCII space: a memo of ideographic spaces stays deletable.
  return text.find_first_not_of(L' ') == text.npos;
}

} // namespace

void refillList(Form1Host &form) {
  form.setFileName(kMemoFileName);
  form.touch();
  form.listClear();
  form.listAddAll(form.readAll());
  form.listRefresh();
}

void addMemo(Form1Host &form) {
  form.setFileName(kMemoFileName);
  form.touch();
  const std::wstring text = form.listText();
  if (text.empty())
    return;
  try {
    form.append(form.listCount(), text);
  } catch (const UnrepresentableText &error) {
    // Keep the text in the field so that nothing typed is lost.
    form.tell(describeError(error));
    return;
  }
  form.listClear();
}

void deleteMemo(Form1Host &form) {
  form.setFileName(kMemoFileName);
  form.touch();
  const int index = form.listIndex();
  if (index == -1)
    return;
  if (isBlank(form.listText()))
    return;
  form.removeByIndex(index);
  form.setListIndex(-1);
  form.savePosition(form.windowPosition());
  form.unload();
  form.load();
}

void clearAll(Form1Host &form) {
  // A memo file that vanished since the window loaded holds nothing to clear.
  const std::optional<std::uint64_t> size = form.sizeInBytes();
  if (!size || *size == 0)
    return;
  if (!form.confirm(kClearQuestion, kClearTitle))
    return;
  form.setFileName(kMemoFileName);
  form.truncate();
  form.listClear();
}

void hideToTray(Form1Host &form) {
  form.savePosition(form.windowPosition());
  // Without a notification icon a hidden window could never come back.
  if (form.iconShown())
    form.hide();
}

void closeProgram(Form1Host &form) {
  form.savePosition(form.windowPosition());
  form.unload();
  form.endProgram();
}

void exitFromTray(Form1Host &form) {
  form.savePosition(form.windowPosition());
  form.removeIcon();
  form.endProgram();
}

void openAbout(Form1Host &form) {
  form.unload();
  form.showAbout();
}

void onIconMouse(Form1Host &form, float xTwips, float twipsPerPixel) {
  switch (iconActionFor(iconMessageFromTwips(xTwips, twipsPerPixel))) {
  case IconAction::showWindow:
    form.show();
    break;
  case IconAction::trayMenu:
    form.setForeground();
    form.processPendingEvents();
    form.popUpTrayMenu();
    break;
  case IconAction::none:
    break;
  }
}

} // namespace tallynix
