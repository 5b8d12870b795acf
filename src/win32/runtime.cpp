#include "win32/runtime.h"

#include "core/error_text.h"
#include "core/units.h"

#include <iterator>
#include <utility>

namespace tallynix::win32 {
namespace {

int screenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen)
    ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

void showError(HWND owner, const std::wstring &text, UINT icon) noexcept {
  MessageBoxW(owner && IsWindow(owner) ? owner : nullptr, text.c_str(), kProgramTitle,
              MB_OK | icon | MB_SETFOREGROUND);
}

} // namespace

Runtime::Runtime(HINSTANCE instance)
    : instance_(instance), dpi_(screenDpi()), twipsPerPixel_(tallynix::twipsPerPixel(dpi_)) {}

int Runtime::scale(int twips) const noexcept { return scaleTwips(twips, dpi_); }

void Runtime::dispatch(MSG &message) {
  // Let the dialog manager move the focus with Tab between the controls of
  // the window the message is for; everything else is dispatched as usual.
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root && IsDialogMessageW(root, &message))
    return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int Runtime::run() {
  MSG message{};
  // The program ends when no window is loaded and no handler runs: checked
  // between events, so that a handler may unload the last window and then
  // show another.
  while (!ending_ && loadedWindows_ > 0) {
    if (!idleCalls_.empty()) {
      if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
          break;
        dispatch(message);
        continue;
      }
      for (const Watched &call : std::exchange(idleCalls_, {}))
        SendMessageW(call.window, call.message, 0, 0);
      continue;
    }
    if (watched_.empty()) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0 || got == -1)
        break;
      dispatch(message);
      continue;
    }
    // One message per wait: under Wine a PeekMessage that finds nothing
    // costs more calls to the server than the wait itself, so draining the
    // queue until it is empty would add context switches to every blink of
    // the caret. After a watched handle, too, one message goes next, so
    // that a folder that never rests cannot starve the input.
    if (!waitForEvent())
      break;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT)
        break;
      dispatch(message);
    }
  }
  return 0;
}

bool Runtime::waitForEvent() {
  HANDLE handles[MAXIMUM_WAIT_OBJECTS - 1];
  DWORD count = 0;
  for (const Watched &watched : watched_)
    if (count < std::size(handles))
      handles[count++] = watched.handle;
  // One wait for both: no thread and no timer, so nothing runs until a
  // message arrives or a watched handle is signalled.
  const DWORD woken =
      MsgWaitForMultipleObjectsEx(count, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (woken >= WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + count) {
    // A copy: the handler may unwatch it.
    const Watched signalled = watched_[woken - WAIT_OBJECT_0];
    SendMessageW(signalled.window, signalled.message, 0,
                 reinterpret_cast<LPARAM>(signalled.handle));
    return true;
  }
  if (woken == WAIT_OBJECT_0 + count)
    return true;
  // A handle that cannot be waited on would fail every wait: go on with the
  // messages alone.
  watched_.clear();
  return true;
}

void Runtime::watch(HANDLE handle, HWND window, UINT message) {
  unwatch(handle);
  watched_.push_back({handle, window, message});
}

void Runtime::whenIdle(HWND window, UINT message) {
  idleCalls_.push_back({nullptr, window, message});
}

void Runtime::unwatch(HANDLE handle) noexcept {
  std::erase_if(watched_, [handle](const Watched &watched) { return watched.handle == handle; });
}

void Runtime::processPendingEvents() {
  MSG message{};
  while (!ending_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatch(message);
  }
}

void Runtime::endProgram() noexcept {
  ending_ = true;
  // Ends any modal loop that is running too (a question, a message, a menu),
  // so that nothing of what waited on it runs.
  PostQuitMessage(0);
}

void Runtime::reportError(const std::exception &error, HWND owner) noexcept {
  try {
    showError(owner, describeError(error), MB_ICONWARNING);
  } catch (...) {
    showError(owner, L"エラーが起きました。", MB_ICONWARNING);
  }
}

void Runtime::reportFatalError(const std::exception &error, HWND owner) noexcept {
  try {
    showError(owner, describeFatalError(error), MB_ICONERROR);
  } catch (...) {
    showError(owner, L"エラーが起きました。タリニクスを終了します。", MB_ICONERROR);
  }
  endProgram();
}

void Runtime::reportUnknownFatalError(HWND owner) noexcept {
  showError(owner, L"予期しないエラーが起きました。タリニクスを終了します。", MB_ICONERROR);
  endProgram();
}

} // namespace tallynix::win32
