// The notification icon: one owner of its life. It goes in when the window
// loads, comes back when the shell restarts, and is removed exactly once.
#pragma once

#include "core/icon_record.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace tallynix::win32 {

// Hands the record to the notification area with one command (add, modify,
// delete, focus, version); true when the shell accepted it.
using NotificationArea = bool (*)(std::uint32_t command, const IconRecord &record);
bool shellNotificationArea(std::uint32_t command, const IconRecord &record);
// The same through `shell`, which receives the system's record as
// Shell_NotifyIconA or W would (`wide`): by address, its size first.
using ShellEntry = bool (*)(std::uint32_t command, void *record, bool wide);
bool shellNotificationArea(std::uint32_t command, const IconRecord &record, ShellEntry shell);

// The record for the icon of `window`: the tip in the ANSI code page
// (`codePage`; 0 is the system's) where that code page holds it exactly, as
// 932 and a Japanese Windows' 65001 do; in UTF-16 elsewhere, where an
// English Windows' 1252 would show "?????".
IconRecord iconRecord(std::uint64_t window, std::uint64_t icon, std::wstring_view tip,
                      unsigned codePage = 0);

class NotifyIcon {
public:
  explicit NotifyIcon(NotificationArea area = shellNotificationArea) : area_(area) {}
  ~NotifyIcon() { remove(); }
  NotifyIcon(const NotifyIcon &) = delete;
  NotifyIcon &operator=(const NotifyIcon &) = delete;

  // Hands the record to the shell; true when the icon is in place. Every
  // icon the shell takes, here and below, is set to version 3 next; a shell
  // that refuses the version keeps the icon as it was.
  bool add(const IconRecord &record);
  // An add that failed, tried again: a busy shell gives up on an add and may
  // still show the icon later, so one it already has is taken over.
  bool addAgain();
  // The shell restarted ("TaskbarCreated"): add the icon again. Where the
  // shell still has it, take that one over, or replace it.
  bool restore();
  // Deletes the icon once an add was tried, whatever the shell answered.
  void remove();
  bool shown() const noexcept { return shown_; }
  // Gives the keyboard focus back to the notification area, as after a menu
  // of the icon dismissed with Escape; false where the shell did not take it.
  bool returnFocus();
  // Where the icon is on the screen, where the shell tells (Windows 7 and
  // later).
  std::optional<RECT> screenRect() const;

private:
  void useVersion();

  NotificationArea area_;
  IconRecord record_;
  bool shown_ = false;
};

} // namespace tallynix::win32
