#include "app/memo_file_watch.h"

#include "win32/file_system_win32.h"

#include <optional>
#include <string>

namespace tallynix {

void MemoFileWatch::start(HWND window, UINT message, std::string_view fileName) {
  if (started_)
    return;
  started_ = true;
  // The name's own folder always: an editor that saves by rename replaces a
  // link with a file; and the folder of the file a link leads to.
  watch(folders_[0], L".", window, message);
  const std::optional<std::wstring> real = win32::finalPathOf(fileName);
  if (!real)
    return;
  const std::wstring folder = real->substr(0, real->find_last_of(L'\\'));
  const std::optional<std::wstring> here = win32::finalPathOf(".");
  if (!here || CompareStringOrdinal(folder.c_str(), -1, here->c_str(), -1, TRUE) != CSTR_EQUAL)
    watch(folders_[1], folder.c_str(), window, message);
}

void MemoFileWatch::watch(win32::UniqueChangeNotification &folder, const wchar_t *path, HWND window,
                          UINT message) {
  folder = win32::UniqueChangeNotification(FindFirstChangeNotificationW(
      path, FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
  if (folder)
    runtime_.watch(folder.get(), window, message);
}

void MemoFileWatch::stop() noexcept {
  for (win32::UniqueChangeNotification &folder : folders_) {
    if (folder)
      runtime_.unwatch(folder.get());
    folder.reset();
  }
  started_ = false;
}

bool MemoFileWatch::changed(HANDLE handle) noexcept {
  for (win32::UniqueChangeNotification &folder : folders_) {
    if (!folder || folder.get() != handle)
      continue;
    if (!FindNextChangeNotification(handle)) {
      runtime_.unwatch(handle);
      folder.reset();
    }
    return true;
  }
  return false;
}

} // namespace tallynix
