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

using UniqueFont = Unique<HFONT, deleteGdiObject>;
using UniqueBrush = Unique<HBRUSH, deleteGdiObject>;
using UniqueMenu = Unique<HMENU, destroyMenu>;
using UniqueIcon = Unique<HICON, destroyIcon>;
using UniqueKey = Unique<HKEY, closeKey>;

// A kernel handle, where INVALID_HANDLE_VALUE means "none".
class UniqueFile {
public:
  UniqueFile() = default;
  explicit UniqueFile(HANDLE handle) noexcept : handle_(handle) {}
  ~UniqueFile() { reset(); }
  UniqueFile(UniqueFile &&other) noexcept : handle_(other.release()) {}
  UniqueFile &operator=(UniqueFile &&other) noexcept {
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
  bool close() noexcept {
    const bool ok = !*this || CloseHandle(release()) != 0;
    return ok;
  }
  void reset() noexcept { close(); }

private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A change notification on a folder (FindFirstChangeNotification), where
// INVALID_HANDLE_VALUE means "none".
class UniqueChangeNotification {
public:
  UniqueChangeNotification() = default;
  explicit UniqueChangeNotification(HANDLE handle) noexcept : handle_(handle) {}
  ~UniqueChangeNotification() { reset(); }
  UniqueChangeNotification(UniqueChangeNotification &&other) noexcept : handle_(other.release()) {}
  UniqueChangeNotification &operator=(UniqueChangeNotification &&other) noexcept {
    if (this != &other) {
      reset();
      handle_ = other.release();
    }
    return *this;
  }

  explicit operator bool() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const noexcept { return handle_; }
  HANDLE release() noexcept { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
  void reset() noexcept {
    if (*this)
      FindCloseChangeNotification(release());
  }

private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

} // namespace tallynix::win32
