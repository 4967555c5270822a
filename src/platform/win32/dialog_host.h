// The Win32 side of platform::Dialog: the dialog procedure, which keeps the Dialog object
// in the window's user slot and forwards to its virtual handlers, and the window a Dialog
// object stands for, for the few calls elsewhere that need an owner window.
#pragma once

#include <windows.h>

#include "platform/dialog.h"

namespace platform {

struct DialogHost {
    static HWND Window(const Dialog& dialog) { return static_cast<HWND>(dialog.window_); }
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR PaintIcon(HWND window, HICON icon);
    static bool Command(Dialog& dialog, int id, int notification);
};

}  // namespace platform
