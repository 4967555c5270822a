// The process entry: hands the argument part of the command line to start-up and ends the
// process when it returns. No message loop runs afterwards: every window of the program is
// modal or driven by start-up itself.
#include <windows.h>

#include "app/start_up.h"
#include "platform/win32/command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLineArguments, int) {
    platform::win32::SetCommandLineArguments(commandLineArguments ? commandLineArguments : "");
    StartUp();
    return 0;
}
