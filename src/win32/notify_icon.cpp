#include "win32/notify_icon.h"

#include "win32/handles.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace tallynix::win32 {

namespace {

// The system's own record carries the same field values.
template <typename Data> Data systemRecord(const IconRecord &record, DWORD size) {
  Data data{};
  data.cbSize = size;
  data.hWnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(record.window));
  data.uID = record.id;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callbackMessage;
  data.hIcon = reinterpret_cast<HICON>(static_cast<std::uintptr_t>(record.icon));
  return data;
}

bool callShell(std::uint32_t command, void *record, bool wide) {
  return (wide ? Shell_NotifyIconW(command, static_cast<NOTIFYICONDATAW *>(record))
               : Shell_NotifyIconA(command, static_cast<NOTIFYICONDATAA *>(record))) != FALSE;
}

} // namespace

bool shellNotificationArea(std::uint32_t command, const IconRecord &record) {
  return shellNotificationArea(command, record, callShell);
}

bool shellNotificationArea(std::uint32_t command, const IconRecord &record, ShellEntry shell) {
  if (command == kIconSetVersion) {
    // No text: the ANSI record serves either tip.
#ifdef _WIN64
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(record.window));
    data.uID = record.id;
    data.uVersion = kIconVersion;
    return shell(command, &data, false);
#else
    static_assert(NOTIFYICONDATAA_V2_SIZE == kIconVersionRecordSize);
    static_assert(offsetof(NOTIFYICONDATAA, uVersion) == kIconVersionOffset);
    alignas(8) std::uint8_t buffer[kIconVersionRecordSize];
    const auto bytes = record.versionBytes();
    std::memcpy(buffer, bytes.data(), bytes.size());
    return shell(command, buffer, false);
#endif
  }
  if (record.wide) {
    // A version 1 record in UTF-16: 63 characters of tip and its NUL.
    auto data = systemRecord<NOTIFYICONDATAW>(record, NOTIFYICONDATAW_V1_SIZE);
    static_assert(sizeof data.szTip >= sizeof record.wideTip);
    std::memcpy(data.szTip, record.wideTip.data(), sizeof record.wideTip);
    return shell(command, &data, true);
  }
#ifdef _WIN64
  // Handles are 64 bits wide here: the system's version 1 record, which
  // holds 63 bytes of tip and its NUL.
  auto data = systemRecord<NOTIFYICONDATAA>(record, NOTIFYICONDATAA_V1_SIZE);
  std::memcpy(data.szTip, record.tip.data(), 63);
  return shell(command, &data, false);
#else
  // The record's own 89 bytes, exactly as laid out.
  alignas(8) std::uint8_t buffer[kIconRecordSize];
  const auto bytes = record.bytes();
  std::memcpy(buffer, bytes.data(), bytes.size());
  return shell(command, buffer, false);
#endif
}

IconRecord iconRecord(std::uint64_t window, std::uint64_t icon, std::wstring_view tip,
                      unsigned codePage) {
  const int length = static_cast<int>(tip.size());
  const int size =
      WideCharToMultiByte(codePage, 0, tip.data(), length, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(codePage, 0, tip.data(), length, ansi.data(), size, nullptr, nullptr);
  // Read back, the bytes must give the tip again: a code page without
  // katakana has turned it into "?????".
  std::wstring back(tip.size(), L'\0');
  back.resize(static_cast<std::size_t>(
      std::max(MultiByteToWideChar(codePage, 0, ansi.data(), size, back.data(), length), 0)));
  return back == tip ? IconRecord::make(window, icon, ansi)
                     : IconRecord::makeWide(window, icon, tip);
}

bool NotifyIcon::add(const IconRecord &record) {
  record_ = record;
  shown_ = area_(kIconAdd, record_);
  useVersion();
  return shown_;
}

bool NotifyIcon::addAgain() {
  if (record_.window == 0)
    return false; // never added, or removed
  if (!shown_) {
    shown_ = area_(kIconAdd, record_) || area_(kIconModify, record_);
    useVersion();
  }
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
  useVersion();
  return shown_;
}

void NotifyIcon::useVersion() {
  // The shell forgets the version with the icon; one that refuses it keeps
  // sending the right button's messages for Enter and Space.
  if (shown_)
    area_(kIconSetVersion, record_);
}

bool NotifyIcon::returnFocus() { return shown_ && area_(kIconSetFocus, record_); }

std::optional<RECT> NotifyIcon::screenRect() const {
  // Windows 7 and later; the program links shell32 already.
  using GetRectFn = HRESULT(WINAPI *)(const NOTIFYICONIDENTIFIER *, RECT *);
  const auto getRect =
      lookUp<GetRectFn>(GetModuleHandleW(L"shell32.dll"), "Shell_NotifyIconGetRect");
  NOTIFYICONIDENTIFIER icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(record_.window));
  icon.uID = record_.id;
  RECT rect{};
  if (!shown_ || !getRect || FAILED(getRect(&icon, &rect)))
    return std::nullopt;
  return rect;
}

void NotifyIcon::remove() {
  // An add the shell gave up on may still have shown the icon.
  if (record_.window != 0)
    area_(kIconDelete, record_);
  shown_ = false;
  record_.window = 0; // nothing to restore after a shell restart
}

} // namespace tallynix::win32
