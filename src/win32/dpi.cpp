#include "win32/dpi.h"

#include "win32/handles.h"

namespace tallynix::win32 {

int monitorDpi(HMONITOR monitor, int systemDpi) {
  // Windows 8.1 and later; shell32 has the library loaded already.
  using GetDpiForMonitorFn = HRESULT(WINAPI *)(HMONITOR, int, UINT *, UINT *);
  constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
  const UniqueModule shcore = loadSystemLibrary(L"shcore.dll");
  UINT x = 0;
  UINT y = 0;
  if (const auto forMonitor = lookUp<GetDpiForMonitorFn>(shcore.get(), "GetDpiForMonitor"))
    if (SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0)
      return static_cast<int>(x);
  return systemDpi;
}

int monitorDpi(HWND window, int systemDpi) {
  using GetDpiForWindowFn = UINT(WINAPI *)(HWND);
  const auto forWindow =
      lookUp<GetDpiForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  if (forWindow)
    if (const UINT dpi = forWindow(window))
      return static_cast<int>(dpi);
  return monitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), systemDpi);
}

void resizeClient(HWND window, SIZE client) {
  RECT outer{};
  RECT inner{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &inner);
  // The frame, whatever it is at this density, stays around the client area.
  SetWindowPos(window, nullptr, 0, 0, client.cx + (outer.right - outer.left) - inner.right,
               client.cy + (outer.bottom - outer.top) - inner.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

} // namespace tallynix::win32
