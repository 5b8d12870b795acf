// tallynix: a one-line memo strip that stays above every other window.
#include "app/about_window.h"
#include "app/main_window.h"
#include "win32/handles.h"
#include "win32/runtime.h"

#include <windows.h>

namespace {

// Look DLLs up in the system folder only: the program is often started from
// folders such as Downloads, where a planted DLL could sit beside memo.txt.
void restrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);
  if (const auto set = tallynix::win32::lookUp<SetDefaultDllDirectoriesFn>(
          GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"))
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The program's two windows, each able to bring up the other. Once About has
// been used, only one of them is loaded at a time.
class Windows {
public:
  explicit Windows(tallynix::win32::Runtime &runtime)
      : strip_(runtime, [this] { about_.show(); }), about_(runtime, [this] { strip_.open(); }) {}

  void open() { strip_.open(); }

private:
  tallynix::MainWindow strip_;
  tallynix::AboutWindow about_;
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  restrictDllSearch();
  tallynix::win32::Runtime runtime(instance);
  Windows windows(runtime);
  windows.open();
  return runtime.run();
}
