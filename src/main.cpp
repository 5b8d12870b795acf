// tallynix: a one-line memo strip that stays above every other window.
#include "about/about_window.h"
#include "main_window/main_window.h"
#include "platform/runtime.h"

#include <windows.h>

namespace {

// Look DLLs up in the system folder only: the program is often started from
// folders such as Downloads, where a planted DLL could sit beside memo.txt.
void restrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
    if (auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
      set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  restrictDllSearch();
  tallynix::platform::Runtime runtime(instance);

  // Once About has been used, only one of the two windows is ever loaded.
  tallynix::MainWindow *mainWindow = nullptr;
  tallynix::AboutWindow about(runtime, [&mainWindow] { mainWindow->open(); });
  tallynix::MainWindow memoStrip(runtime, [&about] { about.show(); });
  mainWindow = &memoStrip;

  memoStrip.open();
  return runtime.run();
}
