// Dialog colours for every dialog and message box of the thread: a CBT hook subclasses
// each dialog-class window as it is created, and the subclass answers the colour
// messages. Message boxes are made by the system, so a hook is the only way to reach them.
#include <windows.h>
#include <commctrl.h>

#include "platform/dialog_look.h"
#include "platform/win32/window_class.h"

namespace platform {
namespace {

using win32::HasClass;

constexpr UINT_PTR kColourSubclassId = 1;
COLORREF backgroundColour = RGB(255, 255, 255);
HBRUSH backgroundBrush = nullptr;
HHOOK creationHook = nullptr;

LRESULT CALLBACK ColourSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // Read-only edits send the static colour message too; they keep their own look.
            if (HasClass(reinterpret_cast<HWND>(lParam), "Edit")) break;
            [[fallthrough]];
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORMSGBOX: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, backgroundColour);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(backgroundBrush);
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, ColourSubclass, kColourSubclassId);
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (HasClass(window, "#32770")) SetWindowSubclass(window, ColourSubclass, kColourSubclassId, 0);
    }
    return CallNextHookEx(creationHook, code, wParam, lParam);
}

}  // namespace

void SetDialogColours(int red, int green, int blue) {
    backgroundColour = RGB(red, green, blue);
    if (backgroundBrush) DeleteObject(backgroundBrush);
    backgroundBrush = CreateSolidBrush(backgroundColour);
    if (!creationHook) creationHook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
}

void RegisterCommonControls() {
    // The manifest selects the version 6 common controls, whose classes these are.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

}  // namespace platform
