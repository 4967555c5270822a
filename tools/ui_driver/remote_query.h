// The routine the driver runs inside the program under test to read what only that process
// can read under Wine: its menus (GetMenu, GetSystemMenu(hwnd, FALSE), GetMenuItemCount,
// GetMenuItemInfoW) and its dialog base units (MapDialogRect of {0,0,4,8}). It sends no
// message, so it also works while the program's UI thread is blocked.
//
// The driver copies the bytes from UiDriverRemoteQuery up to UiDriverRemoteQueryEnd into the
// program, so the routine is position independent: every function and every constant it needs
// comes in the RemoteBlock, and every result goes back there. remote_query.cpp holds nothing
// else and is built without optimisation (see CMakeLists.txt and the comment there).
#pragma once

#include <cstdint>

#include "windows_api.h"

namespace ui_driver {

constexpr int kRemoteMaxDepth = 16;
constexpr int kRemoteMaxItems = 512;
constexpr int kRemoteTextChars = 128;

enum RemoteOp : int32_t { kOpMenuBar = 1, kOpSystemMenu = 2, kOpBaseUnits = 3 };
enum RemoteStatus : int32_t { kStNotRun = 0, kStOk = 1, kStNoMenu = 2, kStFailed = 3 };

// One menu item, in depth-first order.
struct RemoteMenuItem {
    int32_t depth;
    int32_t ok;  // GetMenuItemInfoW succeeded
    uint32_t type;
    uint32_t state;
    uint32_t id;
    int32_t hasSubmenu;
    wchar_t text[kRemoteTextChars];
};

// Everything the routine reads and writes. Fixed-width fields, so the layout is the same in the
// driver and the program under test (which must have the driver's bitness).
struct RemoteBlock {
    // In: user32 entry points as the program under test sees them.
    uint64_t fnGetMenu;
    uint64_t fnGetSystemMenu;
    uint64_t fnGetMenuItemCount;
    uint64_t fnGetMenuItemInfoW;
    uint64_t fnMapDialogRect;
    uint64_t hwnd;
    int32_t op;      // RemoteOp
    int32_t status;  // out: RemoteStatus
    int32_t count;   // out: items written
    int32_t truncated;
    // Constants come from the driver so the routine needs no constant data of its own.
    uint32_t miiSize;
    uint32_t miiMask;
    uint32_t textChars;
    int32_t maxItems;
    int32_t maxDepth;
    RECT rect;  // in: 0,0,4,8; out: mapped by MapDialogRect
    // Working space: the routine keeps only small locals of its own.
    MENUITEMINFOW mii;
    uint64_t stackMenu[kRemoteMaxDepth];
    int32_t stackIndex[kRemoteMaxDepth];
    int32_t stackCount[kRemoteMaxDepth];
    RemoteMenuItem items[kRemoteMaxItems];
};

}  // namespace ui_driver

// Carries out block->op; `param` is the RemoteBlock. Runs in the program under test, or in the
// driver itself for the direct attempt. Always returns 1.
extern "C" DWORD WINAPI UiDriverRemoteQuery(LPVOID param);

// Marks the end of the routine's bytes; never called.
extern "C" int UiDriverRemoteQueryEnd(void);
