// Whether a window belongs to a window class, compared as the system compares class names
// (without regard to case).
#pragma once

#include <windows.h>

namespace platform::win32 {

inline bool HasClass(HWND window, const char* className) {
    char name[32] = {};
    return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, className) == 0;
}

}  // namespace platform::win32
