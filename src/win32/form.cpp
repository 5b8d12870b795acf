#include "win32/form.h"

#include "core/file_system.h"
#include "core/units.h"
#include "win32/dpi.h"

namespace tallynix::win32 {

Form::~Form() {
  if (hwnd_) {
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
  }
}

void Form::load() {
  if (hwnd_)
    return;
  try {
    create();
    shownSinceLoad_ = false;
    loading_ = true;
    onLoad();
    loading_ = false;
    if (const int dpi = monitorDpi(hwnd_, runtime_.dpi()); dpi != dpi_)
      layOutFor(dpi);
  } catch (const std::exception &error) {
    loading_ = false;
    runtime_.reportFatalError(error, hwnd_);
    if (hwnd_)
      DestroyWindow(hwnd_);
  } catch (...) {
    loading_ = false;
    runtime_.reportUnknownFatalError(hwnd_);
    if (hwnd_)
      DestroyWindow(hwnd_);
  }
}

void Form::onLoad() { layOutFor(monitorDpi(hwnd_, runtime_.dpi())); }

void Form::show() {
  load();
  if (!hwnd_)
    return;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (!shownSinceLoad_) {
    shownSinceLoad_ = true;
    onFirstShow();
  }
}

void Form::onFirstShow() {
  if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE))
    SetFocus(first);
}

void Form::hide() {
  if (hwnd_)
    ShowWindow(hwnd_, SW_HIDE);
}

void Form::unload() {
  if (!hwnd_)
    return;
  onUnload();
  DestroyWindow(hwnd_);
}

int Form::scale(int twips) const noexcept { return scaleTwips(twips, dpi_); }

SIZE Form::layOut() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  return {client.right, client.bottom};
}

void Form::layOutFor(int dpi) {
  dpi_ = dpi;
  resizeClient(hwnd_, layOut());
}

float Form::left() const {
  RECT bounds{};
  GetWindowRect(hwnd_, &bounds);
  return static_cast<float>(bounds.left) * static_cast<float>(runtime_.twipsPerPixel());
}

float Form::top() const {
  RECT bounds{};
  GetWindowRect(hwnd_, &bounds);
  return static_cast<float>(bounds.top) * static_cast<float>(runtime_.twipsPerPixel());
}

void Form::setLeft(float twips) { moveTo(twips, top()); }
void Form::setTop(float twips) { moveTo(left(), twips); }

void Form::moveTo(float leftTwips, float topTwips) {
  const auto x = twipsToPixels(leftTwips, runtime_.twipsPerPixel());
  const auto y = twipsToPixels(topTwips, runtime_.twipsPerPixel());
  if (x && y)
    SetWindowPos(hwnd_, nullptr, *x, *y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

HWND Form::createWindow(const WNDCLASSEXW &windowClass, DWORD exStyle, DWORD style, RECT bounds) {
  WNDCLASSEXW known{};
  known.cbSize = sizeof known;
  if (!GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &known)) {
    WNDCLASSEXW registered = windowClass;
    registered.cbSize = sizeof registered;
    registered.lpfnWndProc = windowProc;
    if (!RegisterClassExW(&registered))
      throw std::runtime_error("RegisterClassEx failed");
  }
  HWND hwnd = CreateWindowExW(exStyle, windowClass.lpszClassName, L"", style, bounds.left,
                              bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                              nullptr, nullptr, windowClass.hInstance, this);
  if (!hwnd)
    throw std::runtime_error("CreateWindowEx failed");
  return hwnd;
}

bool Form::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) {
  switch (message) {
  case WM_CLOSE:
    unload();
    result = 0;
    return true;
  case WM_ENDSESSION:
    // The session ends: the program with it, storing nothing (the memo
    // strip stores its place first).
    if (wParam)
      runtime_.endProgram();
    result = 0;
    return true;
  case WM_DPICHANGED: {
    // On a monitor of another density: laid out for it, at the place the
    // system suggests. The load's own moves end where the load puts the
    // window: it has laid the window out for that monitor already.
    if (!loading_) {
      const RECT &suggested = *reinterpret_cast<const RECT *>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      layOutFor(LOWORD(wParam));
    }
    result = 0;
    return true;
  }
  default:
    return false;
  }
}

LRESULT Form::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  // No C++ exception ever crosses into Windows: a failed file operation is
  // reported and the program goes on, so nothing the user typed is lost;
  // anything else is reported and ends the program.
  try {
    LRESULT result = 0;
    if (onMessage(message, wParam, lParam, result))
      return result;
  } catch (const FileError &error) {
    runtime_.reportError(error, hwnd);
    return 0;
  } catch (const std::exception &error) {
    runtime_.reportFatalError(error, hwnd);
    return 0;
  } catch (...) {
    runtime_.reportUnknownFatalError(hwnd);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Form::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto *form = static_cast<Form *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->hwnd_ = hwnd;
    form->runtime_.windowLoaded();
  }
  auto *form = reinterpret_cast<Form *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->runtime_.windowUnloaded();
    // A fresh window of the same form may already exist.
    if (form->hwnd_ == hwnd)
      form->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  // Once the program ends, windows are destroyed without further events; a
  // window that is not the form's current one gets no handlers either.
  if (form->runtime_.ending() || form->hwnd_ != hwnd)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  return form->handle(message, wParam, lParam);
}

} // namespace tallynix::win32
