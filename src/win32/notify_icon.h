// The notification icon: one owner of its life. It goes in when the window
// loads, comes back when the shell restarts, and is removed exactly once.
#pragma once

#include "core/icon_record.h"

#include <cstdint>

namespace tallynix::win32 {

class NotifyIcon {
public:
  NotifyIcon() = default;
  ~NotifyIcon() { remove(); }
  NotifyIcon(const NotifyIcon &) = delete;
  NotifyIcon &operator=(const NotifyIcon &) = delete;

  // Hands the record to the shell; true when the icon is in place.
  bool add(const IconRecord &record);
  // The shell restarted ("TaskbarCreated"): add the icon again. Where the
  // shell still has it, take that one over, or replace it.
  bool restore();
  void remove();
  bool shown() const noexcept { return shown_; }

private:
  IconRecord record_;
  bool shown_ = false;
};

} // namespace tallynix::win32
