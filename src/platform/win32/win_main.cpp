// The process entry: hands the argument part of the command line to the application
// object's start-up routine and ends the process when it returns. No message loop runs
// afterwards: every window of the program is modal or driven by start-up itself.
#include <windows.h>

#include "platform/application.h"
#include "platform/win32/command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLineArguments, int) {
    platform::win32::SetCommandLineArguments(commandLineArguments ? commandLineArguments : "");
    if (platform::Application* application = platform::Application::Current()) application->InitInstance();
    return 0;
}
