// Hands the notification icon's record to the shell.
#pragma once

#include "main_window/icon_record.h"

#include <cstdint>

namespace tallynix::platform {

// Shell_NotifyIconA with the given command (add 0, delete 2). True when the
// shell accepted it.
bool notifyIcon(std::uint32_t command, const IconRecord &record);

} // namespace tallynix::platform
