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

// A plain frame with an empty title bar and a close box, no icon.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

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
  // At its design place, the top-left corner of its client area; the layout
  // gives it its size.
  RECT frame{rt.scale(kClientLeft), rt.scale(kClientTop),
             rt.scale(kClientLeft) + rt.scale(kClientWidth),
             rt.scale(kClientTop) + rt.scale(kClientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);

  WNDCLASSEXW windowClass{};
  windowClass.hInstance = rt.instance();
  windowClass.lpszClassName = ids::kAboutWindowClass;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  createWindow(windowClass, kExStyle, kStyle, frame);

  // First in the tab order, so it takes the focus when the window shows.
  addControl(ids::kAboutOkButton, L"Button", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON);
  addControl(ids::kAboutRightsLabel, L"Static", kRightsText, SS_LEFT | SS_NOPREFIX);
  addControl(ids::kAboutVersionLabel, L"Static", kVersionText, SS_LEFT | SS_NOPREFIX);
  contactLabel_ =
      addControl(ids::kAboutContactLabel, L"Static", kContactText, SS_LEFT | SS_NOPREFIX);
}

SIZE AboutWindow::layOut() {
  const int dpi = this->dpi();
  Fonts fonts{makeFont(11.25, false, dpi), makeFont(12, false, dpi), makeFont(15.75, true, dpi),
              makeFont(11.25, true, dpi)};

  // Each label sizes itself to its text; where a font draws wider than the
  // design, the window grows to the widest label so that nothing is cut off.
  const SIZE rights = textExtent(kRightsText, fonts.rights.get());
  const SIZE version = textExtent(kVersionText, fonts.version.get());
  const SIZE contact = textExtent(kContactText, fonts.contact.get());
  const int margin = scale(120);
  int clientWidth = scale(kClientWidth);
  clientWidth = std::max(clientWidth, scale(1200) + static_cast<int>(rights.cx) + margin);
  clientWidth = std::max(clientWidth, scale(120) + static_cast<int>(version.cx) + margin);
  clientWidth = std::max(clientWidth, scale(240) + static_cast<int>(contact.cx) + margin);

  place(ids::kAboutOkButton, fonts.button.get(), 480, 1440, {scale(1815), scale(495)});
  place(ids::kAboutRightsLabel, fonts.rights.get(), 1200, 720, rights);
  place(ids::kAboutVersionLabel, fonts.version.get(), 120, 240, version);
  place(ids::kAboutContactLabel, fonts.contact.get(), 240, 1080, contact);
  // The old fonts go once no control uses them.
  fonts_ = std::move(fonts);
  return {clientWidth, scale(kClientHeight)};
}

void AboutWindow::onLoad() {
  // Laid out for the monitor of its design position, then placed: on a
  // screen too small for that position, it opens wholly where it is seen, as
  // near to it as the screen allows.
  const int systemDpi = runtime().dpi();
  const std::vector<Monitor> screens = win32::monitors(systemDpi);
  RECT frame{};
  GetWindowRect(hwnd(), &frame);
  const Point wanted{frame.left, frame.top};
  layOutFor(openingDpi(wanted, {0, 0, frame.right - frame.left, frame.bottom - frame.top}, screens,
                       systemDpi));
  GetWindowRect(hwnd(), &frame);
  const Point at =
      placeWhollyOnScreen(wanted, {frame.right - frame.left, frame.bottom - frame.top}, screens);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

HWND AboutWindow::addControl(int id, const wchar_t *className, const wchar_t *text, DWORD style) {
  HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                 hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 runtime().instance(), nullptr);
  if (!control)
    throw std::runtime_error("CreateWindowEx failed for a control");
  return control;
}

void AboutWindow::place(int id, HFONT font, int leftTwips, int topTwips, SIZE size) {
  HWND control = GetDlgItem(hwnd(), id);
  SetWindowPos(control, nullptr, scale(leftTwips), scale(topTwips), size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
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
