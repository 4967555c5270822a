// A Win32 program that does nothing of its own: its wall time and memory under Wine are the
// floor that the import timings are measured against.
//   empty_program.exe       starts and ends: the cost of a process
//   empty_program.exe gui   also shows and closes a dialog-class window and opens and closes
//                           an internet session: the cost of the platform pieces an import
//                           uses, before any work of its own
#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    if (std::strcmp(arguments, "gui") != 0) return 0;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = CreateWindowExA(0, "#32770", "Floor", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(window);
    HINTERNET session = InternetOpenA("Floor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session) InternetCloseHandle(session);
    DestroyWindow(window);
    return 0;
}
