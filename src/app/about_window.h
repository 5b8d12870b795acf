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
  bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;

  SIZE textExtent(const wchar_t *text, HFONT font) const;
  HWND addLabel(int id, const wchar_t *text, int leftTwips, int topTwips, HFONT font, SIZE size);

  std::function<void()> showMainWindow_;
  HWND contactLabel_ = nullptr;
  win32::UniqueFont buttonFont_;
  win32::UniqueFont rightsFont_;
  win32::UniqueFont versionFont_;
  win32::UniqueFont contactFont_;
};

} // namespace tallynix
