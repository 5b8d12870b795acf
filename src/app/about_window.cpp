#include "app/about_window.h"

#include "app/control_ids.h"
#include "core/placement.h"
#include "core/units.h"
#include "win32/monitors.h"

#include <algorithm>
#include <stdexcept>

namespace tallynix {
namespace {

constexpr const wchar_t *kFontFace = L"ＭＳ Ｐゴシック";
constexpr const wchar_t *kVersionText = L"タリニクス Ver3.13";
constexpr const wchar_t *kRightsText = L"フリーソフト";
constexpr const wchar_t *kContactText = L"tallynix@example.com";

// Design in twips.
constexpr int kClientWidth = 2820;
constexpr int kClientHeight = 2010;
constexpr int kClientLeft = 11955;
constexpr int kClientTop = 8025;

win32::UniqueFont makeFont(double points, bool italic, int dpi) {
  return win32::UniqueFont(CreateFontW(fontHeight(points, dpi), 0, 0, 0, FW_BOLD, italic, FALSE,
                                       FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_DONTCARE, kFontFace));
}

} // namespace

AboutWindow::AboutWindow(win32::Runtime &runtime, std::function<void()> showMainWindow)
    : Form(runtime), showMainWindow_(std::move(showMainWindow)) {}

void AboutWindow::create() {
  win32::Runtime &rt = runtime();
  const int dpi = rt.dpi();
  buttonFont_ = makeFont(11.25, false, dpi);
  rightsFont_ = makeFont(12, false, dpi);
  versionFont_ = makeFont(15.75, true, dpi);
  contactFont_ = makeFont(11.25, true, dpi);

  // Each label sizes itself to its text; where a font draws wider than the
  // design, the window grows to the widest label so that nothing is cut off.
  const SIZE rights = textExtent(kRightsText, rightsFont_.get());
  const SIZE version = textExtent(kVersionText, versionFont_.get());
  const SIZE contact = textExtent(kContactText, contactFont_.get());
  const int margin = rt.scale(120);
  int clientWidth = rt.scale(kClientWidth);
  clientWidth = std::max(clientWidth, rt.scale(1200) + static_cast<int>(rights.cx) + margin);
  clientWidth = std::max(clientWidth, rt.scale(120) + static_cast<int>(version.cx) + margin);
  clientWidth = std::max(clientWidth, rt.scale(240) + static_cast<int>(contact.cx) + margin);

  // A plain frame with an empty title bar and a close box, no icon.
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{rt.scale(kClientLeft), rt.scale(kClientTop), rt.scale(kClientLeft) + clientWidth,
             rt.scale(kClientTop) + rt.scale(kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  // On a screen too small for the design position, open wholly where it is
  // seen, as near to that position as the screen allows.
  const Point size{frame.right - frame.left, frame.bottom - frame.top};
  const Point at =
      placeOnScreen(Point{frame.left, frame.top}, size, {0, 0, size.x, size.y}, win32::monitors());
  OffsetRect(&frame, at.x - frame.left, at.y - frame.top);

  WNDCLASSEXW windowClass{};
  windowClass.hInstance = rt.instance();
  windowClass.lpszClassName = ids::kAboutWindowClass;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  createWindow(windowClass, kExStyle, kStyle, frame);

  // First in the tab order, so it takes the focus when the window shows.
  HWND ok = CreateWindowExW(
      0, L"Button", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, rt.scale(480),
      rt.scale(1440), rt.scale(1815), rt.scale(495), hwnd(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kAboutOkButton)), rt.instance(), nullptr);
  if (!ok)
    throw std::runtime_error("CreateWindowEx failed for the OK button");
  SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), FALSE);
  addLabel(ids::kAboutRightsLabel, kRightsText, 1200, 720, rightsFont_.get(), rights);
  addLabel(ids::kAboutVersionLabel, kVersionText, 120, 240, versionFont_.get(), version);
  contactLabel_ =
      addLabel(ids::kAboutContactLabel, kContactText, 240, 1080, contactFont_.get(), contact);
}

SIZE AboutWindow::textExtent(const wchar_t *text, HFONT font) const {
  SIZE extent{};
  HDC dc = GetDC(nullptr);
  if (!dc)
    return extent;
  HGDIOBJ previous = SelectObject(dc, font);
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
  // An italic font leans past the advance width of its last character.
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(dc, &metrics) && metrics.tmItalic)
    extent.cx += std::max<LONG>(metrics.tmOverhang, metrics.tmHeight / 5);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return extent;
}

HWND AboutWindow::addLabel(int id, const wchar_t *text, int leftTwips, int topTwips, HFONT font,
                           SIZE size) {
  win32::Runtime &rt = runtime();
  HWND label =
      CreateWindowExW(0, L"Static", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                      rt.scale(leftTwips), rt.scale(topTwips), size.cx, size.cy, hwnd(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), rt.instance(), nullptr);
  if (!label)
    throw std::runtime_error("CreateWindowEx failed for a label");
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

bool AboutWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) {
  switch (message) {
  case WM_COMMAND:
    if (LOWORD(wParam) == ids::kAboutOkButton && HIWORD(wParam) == BN_CLICKED) {
      unload();
      showMainWindow_();
    }
    result = 0;
    return true;
  case WM_ACTIVATE:
    // Coming back to the window, by its title bar say, gives the focus to OK
    // (its one control) rather than to the window, where Enter does nothing.
    if (LOWORD(wParam) == WA_INACTIVE)
      return false;
    if (HWND first = GetNextDlgTabItem(hwnd(), nullptr, FALSE))
      SetFocus(first);
    result = 0;
    return true;
  case WM_CTLCOLORSTATIC: {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, reinterpret_cast<HWND>(lParam) == contactLabel_ ? GetSysColor(COLOR_HIGHLIGHT)
                                                                     : GetSysColor(COLOR_BTNTEXT));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
  }
  default:
    return Form::onMessage(message, wParam, lParam, result);
  }
}

} // namespace tallynix
