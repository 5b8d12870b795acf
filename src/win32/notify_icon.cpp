#include "win32/notify_icon.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

namespace tallynix::win32 {

bool shellNotificationArea(std::uint32_t command, const IconRecord &record) {
#ifdef _WIN64
  // Handles are 64 bits wide here, so the system's own record carries the
  // same field values.
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(record.window));
  data.uID = record.id;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callbackMessage;
  data.hIcon = reinterpret_cast<HICON>(static_cast<std::uintptr_t>(record.icon));
  // A version 1 record holds 63 bytes of tip and its NUL.
  std::memcpy(data.szTip, record.tip.data(), 63);
  return Shell_NotifyIconA(command, &data) != FALSE;
#else
  // The record's own 89 bytes, exactly as laid out.
  alignas(8) std::uint8_t buffer[kIconRecordSize];
  const auto bytes = record.bytes();
  std::memcpy(buffer, bytes.data(), bytes.size());
  return Shell_NotifyIconA(command, reinterpret_cast<NOTIFYICONDATAA *>(buffer)) != FALSE;
#endif
}

bool NotifyIcon::add(const IconRecord &record) {
  record_ = record;
  shown_ = area_(kIconAdd, record_);
  return shown_;
}

bool NotifyIcon::addAgain() {
  if (record_.window == 0)
    return false; // never added, or removed
  shown_ = shown_ || area_(kIconAdd, record_) || area_(kIconModify, record_);
  return shown_;
}

bool NotifyIcon::restore() {
  if (record_.window == 0)
    return false; // never added
  shown_ = area_(kIconAdd, record_) || area_(kIconModify, record_);
  if (!shown_) {
    area_(kIconDelete, record_);
    shown_ = area_(kIconAdd, record_);
  }
  return shown_;
}

void NotifyIcon::remove() {
  // An add the shell gave up on may still have shown the icon.
  if (record_.window != 0)
    area_(kIconDelete, record_);
  shown_ = false;
  record_.window = 0; // nothing to restore after a shell restart
}

} // namespace tallynix::win32
