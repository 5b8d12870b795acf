#include "win32/notify_icon.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

namespace tallynix::win32 {
namespace {

constexpr std::uint32_t kModify = 1;

// Shell_NotifyIconA with the given command; true when the shell accepted it.
bool notify(std::uint32_t command, const IconRecord &record) {
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

} // namespace

bool NotifyIcon::add(const IconRecord &record) {
  record_ = record;
  shown_ = notify(kIconAdd, record_);
  return shown_;
}

bool NotifyIcon::restore() {
  if (record_.window == 0)
    return false; // never added
  shown_ = notify(kIconAdd, record_) || notify(kModify, record_);
  if (!shown_) {
    notify(kIconDelete, record_);
    shown_ = notify(kIconAdd, record_);
  }
  return shown_;
}

void NotifyIcon::remove() {
  if (shown_)
    notify(kIconDelete, record_);
  shown_ = false;
  record_.window = 0; // nothing to restore after a shell restart
}

} // namespace tallynix::win32
