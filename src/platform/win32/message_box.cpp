#include <windows.h>

#include "platform/message_box.h"
#include "platform/process.h"

namespace platform {

void ShowMessage(const std::string& text) {
    // Owned by the window in front, if the program has one, so it stays above it.
    MessageBoxA(GetActiveWindow(), text.c_str(), AppName().c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace platform
