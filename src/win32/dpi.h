// The density of the monitor a window is on. Windows 10 tells it per window
// and Windows 8.1 per monitor; older systems, and Wine with its one density
// for every monitor, only the system's. The functions are looked up at run
// time, so that the program starts on every one of them.
#pragma once

#include <windows.h>

namespace tallynix::win32 {

// The dots per inch `window` is shown at, or those of `monitor`; `systemDpi`
// where the system knows no other.
int monitorDpi(HWND window, int systemDpi);
int monitorDpi(HMONITOR monitor, int systemDpi);

// Sizes `window` so that its client area is `client`, its outer top-left
// corner staying where it is.
void resizeClient(HWND window, SIZE client);

} // namespace tallynix::win32
