// The `dumpmenu` of a window (README.md, "Records"): MENU records for its menu bar, then SYSMENU
// records for GetSystemMenu(hwnd, FALSE), every item in depth-first order. Each menu is read
// directly first (menus are shared system objects on Windows); when that fails (Wine keeps
// menus per process) it is read by UiDriverRemoteQuery run in the program under test.
#pragma once

#include "windows_api.h"

namespace ui_driver {

// No MENU record for a window without a menu bar, no SYSMENU record for one without
// WS_SYSMENU; "<tag> - unavailable" when a menu cannot be read, "<tag> - truncated" after 512
// items.
void DumpMenus(HWND wnd);

}  // namespace ui_driver
