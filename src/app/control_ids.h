// The identifiers of the windows' controls and menu items, and the window
// class names: what other programs (and the end-to-end tests) find the
// windows by. One definition per line, so that scripts can read them too.
#pragma once

namespace tallynix::ids {

// The memo strip.
inline constexpr wchar_t kMainWindowClass[] = L"tallynix.Form1";
inline constexpr int kMemoList = 1001;
inline constexpr int kAddButton = 1002;
inline constexpr int kDeleteButton = 1003;
inline constexpr int kClearButton = 1004;
inline constexpr int kCloseButton = 1005;
inline constexpr int kHideButton = 1006;

// The About window.
inline constexpr wchar_t kAboutWindowClass[] = L"tallynix.Form2";
inline constexpr int kAboutOkButton = 2001;
inline constexpr int kAboutRightsLabel = 2002;
inline constexpr int kAboutVersionLabel = 2003;
inline constexpr int kAboutContactLabel = 2004;

// The tray menu.
inline constexpr int kAboutMenuItem = 3001;
inline constexpr int kExitMenuItem = 3002;

} // namespace tallynix::ids
