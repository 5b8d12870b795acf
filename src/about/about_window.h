// The About window `Form2`: the program's name and version, two lines of
// text and an OK button that brings the memo strip back.
#pragma once

#include "platform/form.h"
#include "platform/handles.h"

#include <functional>

namespace tallynix {

class AboutWindow final : public platform::Form {
public:
  enum : int { kCommandVerClose = 2001, kLabel1 = 2002, kLabel2 = 2003, kLabel3 = 2004 };

  AboutWindow(platform::Runtime &runtime, std::function<void()> showMainWindow);

private:
  void create() override;
  bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;

  SIZE textExtent(const wchar_t *text, HFONT font) const;
  HWND addLabel(int id, const wchar_t *text, int leftTwips, int topTwips, HFONT font, SIZE size);

  std::function<void()> showMainWindow_;
  HWND Label3 = nullptr;
  platform::UniqueFont buttonFont_;
  platform::UniqueFont label1Font_;
  platform::UniqueFont label2Font_;
  platform::UniqueFont label3Font_;
};

} // namespace tallynix
