// The floor of the Wine measurements (not shipped): the least that any
// program shaped like the memo strip costs. One 336 x 20 topmost tool window
// with a drop-down combo box in ＭＳ Ｐゴシック 9.75 pt (Shift-JIS charset),
// four small buttons and one notification icon; shown, the list focused, a
// message loop, nothing else. Built with the same toolchain and flags as
// tallynix.exe (see bench/CMakeLists.txt).
//
// The window is shown before the icon is added, so the first pixels do not
// wait for the round trip to the shell.
#include <windows.h>

#include <shellapi.h>

namespace {

constexpr UINT kIconMessage = WM_APP + 1;
NOTIFYICONDATAW icon{};

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    Shell_NotifyIconW(NIM_DELETE, &icon);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND child(HWND parent, const wchar_t *className, const wchar_t *text, DWORD style, int x, int y,
           int width, int height, int id, HFONT font) {
  HWND control = CreateWindowExW(
      0, className, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, width, height, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"tallynix.Floor";
  RegisterClassExW(&windowClass);

  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, windowClass.lpszClassName, L"",
                                WS_POPUP, 0, 0, 336, 20, nullptr, nullptr, instance, nullptr);

  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(975, GetDeviceCaps(screen, LOGPIXELSY), 7200);
  ReleaseDC(nullptr, screen);
  HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック");

  HWND list = child(window, L"ComboBox", L"", WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 8, 0,
                    233, 220, 1001, font);
  const wchar_t *const captions[] = {L"加", L"削", L"消", L"閉"};
  for (int i = 0; i < 4; ++i)
    child(window, L"Button", captions[i], BS_PUSHBUTTON, 240 + 24 * i, 0, 25, 20, 1002 + i, font);

  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(list);

  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kIconMessage;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpyW(icon.szTip, L"floor");
  Shell_NotifyIconW(NIM_ADD, &icon);

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
