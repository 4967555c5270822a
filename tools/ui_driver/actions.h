// Acting on a window of the program under test: the actions of the first unused script rule that
// matches it, or, when none does, the driver's own handling (README.md, "Windows that match no
// rule"). Every wait is bounded by the hard limit and ends early when the program exits.
#pragma once

#include <vector>

#include "script.h"
#include "windows_api.h"

namespace ui_driver {

enum class Flow { kContinue, kChildExited, kTimedOut };

// The program under test; set once it has started.
extern HANDLE g_child;

bool ChildExited();

// Waits up to `ms`, bounded by the hard limit; says why the wait ended early.
Flow Pause(DWORD ms);

// Handles window `wnd` once. A rule matches when it is unused, its kind fits `returning`, its
// caption equals the window's and its control id (if any) is found in the window; it is then
// used up and its actions run in order. An action that cannot be carried out writes an ERROR
// record and the next one runs.
//
// `returning`: the window was handled before and has come back (it was disabled while a window
// it opened was up, and is enabled again). Only "return" rules match it then, and without one it
// is left alone. A new window that matches no rule is answered if it is a message box (MSGBOX
// record, its button pressed), and otherwise recorded (UNEXPECTED, a dump) and sent WM_CLOSE.
Flow HandleWindow(HWND wnd, std::vector<Rule>& rules, bool returning);

}  // namespace ui_driver
