#include "app/memo_file_watch.h"

#include "win32/file_system_win32.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tallynix {

void MemoFileWatch::start(HWND window, UINT message, std::string_view fileName) {
  if (!folders_.empty())
    return;
  // The name's own folder always: an editor that saves by rename replaces a
  // link with a file; and the folder of the file a link leads to.
  std::vector<std::wstring> paths{L"."};
  if (const std::optional<std::wstring> real = win32::finalPathOf(fileName)) {
    std::wstring folder = real->substr(0, real->find_last_of(L'\\'));
    if (const std::optional<std::wstring> here = win32::finalPathOf(".");
        !here || CompareStringOrdinal(folder.c_str(), -1, here->c_str(), -1, TRUE) != CSTR_EQUAL)
      paths.push_back(std::move(folder));
  }
  for (const std::wstring &path : paths) {
    win32::UniqueChangeNotification folder(FindFirstChangeNotificationW(
        path.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
    if (!folder)
      continue;
    runtime_.watch(folder.get(), window, message);
    folders_.push_back(std::move(folder));
  }
}

void MemoFileWatch::stop() noexcept {
  for (const win32::UniqueChangeNotification &folder : folders_)
    runtime_.unwatch(folder.get());
  folders_.clear();
}

bool MemoFileWatch::changed(HANDLE handle) noexcept {
  const auto folder = std::find_if(folders_.begin(), folders_.end(), [handle](const auto &watched) {
    return watched.get() == handle;
  });
  if (folder == folders_.end())
    return false;
  if (!FindNextChangeNotification(handle)) {
    runtime_.unwatch(handle);
    folders_.erase(folder);
  }
  return true;
}

} // namespace tallynix
