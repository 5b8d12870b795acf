// The program's run-time: the screen's density, the message loop, the end
// of the program and the reporting of errors.
#pragma once

#include <windows.h>

#include <exception>
#include <string_view>
#include <vector>

namespace tallynix::win32 {

class Runtime {
public:
  explicit Runtime(HINSTANCE instance);
  Runtime(const Runtime &) = delete;
  Runtime &operator=(const Runtime &) = delete;

  HINSTANCE instance() const noexcept { return instance_; }
  int dpi() const noexcept { return dpi_; }
  // Whole twips per screen pixel: 15 at 96 dots per inch.
  int twipsPerPixel() const noexcept { return twipsPerPixel_; }
  // A design length in twips as pixels on this screen.
  int scale(int twips) const noexcept;

  // Runs the message loop until no window is loaded between two events, or
  // until endProgram. Returns the process exit code.
  int run();
  // Runs every event already queued, then returns.
  void processPendingEvents();
  // Ends the program at once: no further events run.
  void endProgram() noexcept;
  bool ending() const noexcept { return ending_; }

  // Waits on `handle` in the message loop beside the messages: while it is
  // signalled and no message is queued, `message` is sent to `window`. The
  // handle stays the caller's; unwatch it before closing it.
  void watch(HANDLE handle, HWND window, UINT message);
  void unwatch(HANDLE handle) noexcept;
  // Sends `message` to `window` once the queue is next empty: under Wine, a
  // window's pixels reach the screen only then.
  void whenIdle(HWND window, UINT message);

  void windowLoaded() noexcept { ++loadedWindows_; }
  void windowUnloaded() noexcept { --loadedWindows_; }

  // A modal message box about an error that the user can recover from.
  void reportError(const std::exception &error, HWND owner) noexcept;
  // The same for an error the program cannot go on after; then it ends.
  void reportFatalError(const std::exception &error, HWND owner) noexcept;
  void reportUnknownFatalError(HWND owner) noexcept;

private:
  void dispatch(MSG &message);
  // Waits for a message or a watched handle; false when the loop must end.
  bool waitForEvent();

  struct Watched {
    HANDLE handle;
    HWND window;
    UINT message;
  };

  HINSTANCE instance_;
  int dpi_ = 96;
  int twipsPerPixel_ = 15;
  std::vector<Watched> watched_;
  std::vector<Watched> idleCalls_; // without handles
  int loadedWindows_ = 0;
  bool ending_ = false;
};

} // namespace tallynix::win32
