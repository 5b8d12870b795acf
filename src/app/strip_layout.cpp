#include "app/strip_layout.h"

#include "app/control_ids.h"
#include "core/units.h"

namespace tallynix {
namespace {

constexpr const wchar_t *kFontFace = L"ＭＳ Ｐゴシック";

// Layout in twips (1/1440 inch): left, top, width, height.
struct Box {
  int id, left, top, width, height;
};
constexpr SIZE kClient{5040, 300};
constexpr Box kBoxes[] = {
    {ids::kMemoList, 120, 0, 3495, 315},     {ids::kAddButton, 3600, 0, 375, 300},
    {ids::kDeleteButton, 3960, 0, 375, 300}, {ids::kClearButton, 4320, 0, 375, 300},
    {ids::kCloseButton, 4680, 0, 375, 300},  {ids::kHideButton, 0, 195, 135, 180},
};
constexpr const Box &boxOf(int id) {
  for (const Box &box : kBoxes)
    if (box.id == id)
      return box;
  return kBoxes[0];
}

// Room for the memo list's drop-down, below the closed combo box.
constexpr int kDropDownHeight = 3000;

// The closed combo box is as tall as its design (one pixel row past the
// window, cut off), whatever height its font would give it: size its
// selection field to match. Adjusted by what the control reports back, as
// combo box implementations differ in what they count as the field's height.
void fitClosedHeight(HWND list, int wanted) {
  const auto closedHeight = [list] {
    RECT closed{};
    GetWindowRect(list, &closed);
    return static_cast<int>(closed.bottom - closed.top);
  };
  int request = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, WPARAM(-1), 0));
  for (int attempt = 0; attempt < 3 && request > 0; ++attempt) {
    const int height = closedHeight();
    if (height == wanted)
      break;
    request += wanted - height;
    if (request > 0)
      SendMessageW(list, CB_SETITEMHEIGHT, WPARAM(-1), request);
  }
}

} // namespace

Rect StripLayout::dragMargin(int dpi) {
  return {0, 0, scaleTwips(boxOf(ids::kMemoList).left, dpi),
          scaleTwips(boxOf(ids::kHideButton).top, dpi)};
}

SIZE StripLayout::apply(HWND strip, int dpi) {
  const auto scale = [dpi](int twips) { return scaleTwips(twips, dpi); };
  win32::UniqueFont font(CreateFontW(fontHeight(9.75, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace));
  for (const Box &box : kBoxes) {
    HWND control = GetDlgItem(strip, box.id);
    // The combo box's height includes its drop-down list.
    const int extra = box.id == ids::kMemoList ? scale(kDropDownHeight) : 0;
    SetWindowPos(control, nullptr, scale(box.left), scale(box.top), scale(box.width),
                 scale(box.height) + extra, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    if (extra)
      fitClosedHeight(control, scale(box.height));
  }
  // The old font goes once no control uses it.
  font_ = std::move(font);
  return {scale(kClient.cx), scale(kClient.cy)};
}

} // namespace tallynix
