// The screen's monitors, for placing windows where they can be seen.
#pragma once

#include "main_window/placement.h"

#include <vector>

namespace tallynix::platform {

// Every monitor with its work area, the primary one first.
std::vector<Monitor> monitors();

} // namespace tallynix::platform
