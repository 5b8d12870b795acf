// Watching for other writers' changes to memo.txt while the strip is shown:
// change notifications on the current folder, where the name memo.txt is,
// and on the folder of the file it leads to where it is a link (into a
// synced folder, say), waited on in the message loop.
#pragma once

#include "win32/handles.h"
#include "win32/runtime.h"

#include <array>
#include <string_view>

namespace tallynix {

class MemoFileWatch {
public:
  explicit MemoFileWatch(win32::Runtime &runtime) : runtime_(runtime) {}
  ~MemoFileWatch() { stop(); }
  MemoFileWatch(const MemoFileWatch &) = delete;
  MemoFileWatch &operator=(const MemoFileWatch &) = delete;

  // The message loop sends `message` to `window`, with the handle in lParam,
  // when a folder changed. Where the link leads is looked up each time, as
  // it may lead elsewhere now. A folder that cannot be watched is not: the
  // list still follows on activation and drop-down.
  void start(HWND window, UINT message, std::string_view fileName);
  void stop() noexcept;
  // A change arrived on `handle`: false when it is none of the folders
  // watched now. Watching goes on for the next change, from before the file
  // is read, so that a change during the read is not missed.
  bool changed(HANDLE handle) noexcept;

private:
  void watch(win32::UniqueChangeNotification &folder, const wchar_t *path, HWND window,
             UINT message);

  win32::Runtime &runtime_;
  bool started_ = false;
  // The current folder, and the folder of the file a linked memo.txt leads to.
  std::array<win32::UniqueChangeNotification, 2> folders_;
};

} // namespace tallynix
