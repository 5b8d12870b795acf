#include "app/strip_tooltips.h"

#include "app/control_ids.h"

#include <commctrl.h>

#include <algorithm>

namespace tallynix {
namespace {

struct Tip {
  int id;
  const wchar_t *text;
};
constexpr Tip kTips[] = {
    {ids::kAddButton, L"入力したメモを追加"}, {ids::kDeleteButton, L"選んだメモを削除"},
    {ids::kClearButton, L"全てのメモを削除"}, {ids::kCloseButton, L"位置を記憶して終了"},
    {ids::kHideButton, L"通知領域に隠す"},
};

bool hasTip(HWND strip, HWND control) {
  const int id = GetDlgCtrlID(control);
  return GetParent(control) == strip &&
         std::ranges::any_of(kTips, [id](const Tip &tip) { return tip.id == id; });
}

} // namespace

void StripTooltips::onSetCursor(HWND strip, HWND over, UINT mouseMessage, int dpi, int systemDpi) {
  if (tooltip_ || mouseMessage != WM_MOUSEMOVE || !hasTip(strip, over) ||
      !create(strip, dpi, systemDpi))
    return;
  // The move that made the tooltips starts the first tip, as a later move
  // would.
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(over, &at);
  MSG move{over, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y), static_cast<DWORD>(GetMessageTime()), at};
  SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
}

bool StripTooltips::create(HWND strip, int dpi, int systemDpi) {
  // Loaded here rather than linked, so that only a strip someone pointed at
  // pays for it.
  if (!commonControls_)
    commonControls_ = win32::loadSystemLibrary(L"comctl32.dll");
  using InitCommonControlsExFn = BOOL(WINAPI *)(const INITCOMMONCONTROLSEX *);
  const auto init =
      win32::lookUp<InitCommonControlsExFn>(commonControls_.get(), "InitCommonControlsEx");
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
  if (!init || !init(&classes))
    return false;
  // Shown whether or not the strip is the active window.
  tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, strip, nullptr,
                                 nullptr, nullptr));
  if (!tooltip_)
    return false;
  // The system's tooltip font, at the density of the strip's monitor.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, dpi, systemDpi);
    font_.reset(CreateFontIndirectW(&metrics.lfStatusFont));
    SendMessageW(tooltip_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  for (const Tip &tip : kTips) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE; // understood by every version of the control
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = strip;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(strip, tip.id));
    tool.lpszText = const_cast<wchar_t *>(tip.text);
    SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return true;
}

void StripTooltips::reset() noexcept {
  tooltip_.reset();
  font_.reset();
}

} // namespace tallynix
