// The run's main loop (README.md, "How a run works"): about every 50 ms it lists the visible
// top-level dialogs of the program under test. A new one is handled once it has been visible for
// 150 ms, in the order the dialogs were first seen, one at a time; a handled one that was
// disabled (by a window it opened) and is enabled again is handled once more as returning.
#pragma once

#include <vector>

#include "actions.h"
#include "script.h"
#include "windows_api.h"

namespace ui_driver {

// Watches the dialogs of process `pid` until the program exits (kChildExited) or the hard limit
// passes (kTimedOut).
Flow WatchWindows(DWORD pid, std::vector<Rule>& rules);

}  // namespace ui_driver
