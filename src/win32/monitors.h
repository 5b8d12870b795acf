// The screen's monitors, for placing windows where they can be seen.
#pragma once

#include "core/placement.h"

#include <vector>

namespace tallynix::win32 {

// Every monitor with its work area and density (`systemDpi` where the system
// knows no other), the primary one first.
std::vector<Monitor> monitors(int systemDpi);

} // namespace tallynix::win32
