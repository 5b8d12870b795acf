#include "win32/monitors.h"

#include <windows.h>

namespace tallynix::win32 {
namespace {

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    auto &all = *reinterpret_cast<std::vector<Monitor> *>(data);
    const Monitor found{
        {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom},
        {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom}};
    // The primary monitor first: it is where unusable positions go.
    if (info.dwFlags & MONITORINFOF_PRIMARY)
      all.insert(all.begin(), found);
    else
      all.push_back(found);
  }
  return TRUE;
}

} // namespace

std::vector<Monitor> monitors() {
  std::vector<Monitor> all;
  EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&all));
  return all;
}

} // namespace tallynix::win32
