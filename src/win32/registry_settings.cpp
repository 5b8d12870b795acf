#include "win32/registry_settings.h"

#include "win32/handles.h"

#include <windows.h>

namespace tallynix::win32 {
namespace {

std::wstring toWide(std::string_view text) {
  if (text.empty())
    return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string toUtf8(std::wstring_view text) {
  if (text.empty())
    return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                      nullptr, nullptr);
  return narrow;
}

std::wstring keyPath(std::string_view app, std::string_view section) {
  return L"Software\\" + toWide(app) + L"\\" + toWide(section);
}

} // namespace

std::string RegistrySettings::get(std::string_view app, std::string_view section,
                                  std::string_view key, std::string_view fallback) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, KEY_QUERY_VALUE,
                    &opened) != ERROR_SUCCESS)
    return std::string(fallback);
  const UniqueKey owned(opened);
  const std::wstring name = toWide(key);
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(opened, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
    return std::string(fallback);
  // A value of another type, or an absurdly long one, is not a stored text:
  // the caller sees something that is not a number and falls back.
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes > 4096)
    return {};
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(opened, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(value.data()),
                       &size) != ERROR_SUCCESS)
    return std::string(fallback);
  value.resize(size / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0')
    value.pop_back();
  return toUtf8(value);
}

void RegistrySettings::save(std::string_view app, std::string_view section, std::string_view key,
                            std::string_view value) {
  HKEY created = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
    return; // the position is a convenience: a locked registry costs no memo
  const UniqueKey owned(created);
  const std::wstring name = toWide(key);
  const std::wstring text = toWide(value);
  RegSetValueExW(created, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

} // namespace tallynix::win32
