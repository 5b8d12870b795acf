// The About window: the program's name and version, two lines of text and
// an OK button that brings the memo strip back.
#pragma once

#include "win32/form.h"
#include "win32/handles.h"

#include <functional>

namespace tallynix {

class AboutWindow final : public win32::Form {
public:
  AboutWindow(win32::Runtime &runtime, std::function<void()> showMainWindow);

private:
  void create() override;
  SIZE layOut() override;
  void onLoad() override;
  bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;

  SIZE textExtent(const wchar_t *text, HFONT font) const;
  HWND addControl(int id, const wchar_t *className, const wchar_t *text, DWORD style);
  void place(int id, HFONT font, int leftTwips, int topTwips, SIZE size);

  struct Fonts {
    win32::UniqueFont button, rights, version, contact;
  };

  std::function<void()> showMainWindow_;
  HWND contactLabel_ = nullptr;
  Fonts fonts_;
};

} // namespace tallynix
