// Runs UiDriverRemoteQuery in the program under test: copies the routine there once
// (VirtualAllocEx, WriteProcessMemory), then for each query writes the block, starts the routine
// with CreateRemoteThread, waits at most 2 s and reads the results back. It needs the same
// bitness in both processes and a GCC or Clang build (remote_query.h); --no-inject turns it off.
#pragma once

#include <cstdint>

#include "remote_query.h"
#include "windows_api.h"

namespace ui_driver {

class RemoteCaller {
public:
    // The program under test. The routine is placed on the first Run.
    void Reset(HANDLE process, DWORD pid, bool allowInject);

    // Runs `block` in the program under test and reads it back. False when the query could not be
    // run (the reason goes to the verbose log). After a query that did not finish in time the
    // routine may still write into its block, so every later Run fails at once.
    bool Run(RemoteBlock& block);

    // Puts the five user32 entry points `fns` (as LocalFunctions orders them) into `block`.
    static void FillFunctions(RemoteBlock& block, const uint64_t* fns);

    // The driver's own addresses of GetMenu, GetSystemMenu, GetMenuItemCount, GetMenuItemInfoW
    // and MapDialogRect; false when user32 lacks one.
    static bool LocalFunctions(uint64_t* fns);

private:
    bool Setup();
    uintptr_t RemoteModuleBase(const wchar_t* name);

    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    bool allowInject_ = true;
    bool tried_ = false;
    bool ready_ = false;
    bool broken_ = false;
    void* remoteCode_ = nullptr;
    void* remoteBlock_ = nullptr;
    uint64_t remoteFns_[5] = {};
};

// The caller for the program under test.
extern RemoteCaller g_remote;

// The one block of the driver, set up for `op` on `hwnd`: zeroed up to the items, with the
// driver's constants filled in and the rectangle {0,0,4,8} for MapDialogRect.
RemoteBlock& FreshBlock(int op, HWND hwnd);

}  // namespace ui_driver
