#include "win32/monitors.h"

#include "win32/dpi.h"

#include <windows.h>

namespace tallynix::win32 {
namespace {

struct Found {
  std::vector<Monitor> all;
  int systemDpi;
};

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    auto &[all, systemDpi] = *reinterpret_cast<Found *>(data);
    const Monitor found{
        {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom},
        {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom},
        monitorDpi(monitor, systemDpi)};
    // The primary monitor first: it is where unusable positions go.
    if (info.dwFlags & MONITORINFOF_PRIMARY)
      all.insert(all.begin(), found);
    else
      all.push_back(found);
  }
  return TRUE;
}

} // namespace

std::vector<Monitor> monitors(int systemDpi) {
  Found found{{}, systemDpi};
  EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&found));
  return std::move(found.all);
}

} // namespace tallynix::win32
