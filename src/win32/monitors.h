// The screen's monitors, for placing windows where they can be seen.
#pragma once

#include "core/placement.h"

#include <vector>

namespace tallynix::win32 {

// Every monitor with its work area, the primary one first.
std::vector<Monitor> monitors();

} // namespace tallynix::win32
