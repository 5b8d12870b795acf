// Owning wrappers for the Win32 handles the program creates, so that every
// handle is released exactly once, on every path.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace tallynix::win32 {

template <auto Release> struct HandleDeleter {
  template <typename H> void operator()(H handle) const noexcept { Release(handle); }
};

// For the handle types that are pointers and use null for "none".
template <typename H, auto Release>
using Unique = std::unique_ptr<std::remove_pointer_t<H>, HandleDeleter<Release>>;

inline void deleteGdiObject(HGDIOBJ object) noexcept { DeleteObject(object); }
inline void destroyMenu(HMENU menu) noexcept { DestroyMenu(menu); }
inline void destroyIcon(HICON icon) noexcept { DestroyIcon(icon); }
inline void closeKey(HKEY key) noexcept { RegCloseKey(key); }
inline void destroyWindow(HWND window) noexcept { DestroyWindow(window); }
inline void freeLibrary(HMODULE module) noexcept { FreeLibrary(module); }

using UniqueFont = Unique<HFONT, deleteGdiObject>;
using UniqueBrush = Unique<HBRUSH, deleteGdiObject>;
using UniqueMenu = Unique<HMENU, destroyMenu>;
using UniqueIcon = Unique<HICON, destroyIcon>;
using UniqueKey = Unique<HKEY, closeKey>;
using UniqueWindow = Unique<HWND, destroyWindow>;
using UniqueModule = Unique<HMODULE, freeLibrary>;

// A DLL from the system folder and nowhere else: the program is often
// started from folders such as Downloads, where a planted DLL could sit.
inline UniqueModule loadSystemLibrary(const wchar_t *name) {
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 1 + lstrlenW(name) >= MAX_PATH)
    return nullptr;
  path[length] = L'\\';
  lstrcpyW(path + length + 1, name);
  return UniqueModule(LoadLibraryW(path));
}

// A function of a DLL that older systems may lack; null where it is missing.
template <typename Function> Function lookUp(HMODULE module, const char *name) noexcept {
  return module ? reinterpret_cast<Function>(
                      reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                : nullptr;
}

inline bool closeHandle(HANDLE handle) noexcept { return CloseHandle(handle) != 0; }
inline bool closeChangeNotification(HANDLE handle) noexcept {
  return FindCloseChangeNotification(handle) != 0;
}

// For the kernel handles that use INVALID_HANDLE_VALUE for "none".
template <auto Close> class UniqueKernelHandle {
public:
  UniqueKernelHandle() = default;
  explicit UniqueKernelHandle(HANDLE handle) noexcept : handle_(handle) {}
  ~UniqueKernelHandle() { reset(); }
  UniqueKernelHandle(UniqueKernelHandle &&other) noexcept : handle_(other.release()) {}
  UniqueKernelHandle &operator=(UniqueKernelHandle &&other) noexcept {
    if (this != &other) {
      reset();
      handle_ = other.release();
    }
    return *this;
  }

  explicit operator bool() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const noexcept { return handle_; }
  HANDLE release() noexcept { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
  // Closes now; false when closing reported an error.
  bool close() noexcept { return !*this || Close(release()); }
  void reset() noexcept { close(); }

private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

using UniqueFile = UniqueKernelHandle<closeHandle>;
// A change notification on a folder (FindFirstChangeNotification).
using UniqueChangeNotification = UniqueKernelHandle<closeChangeNotification>;

} // namespace tallynix::win32
