// Messages the driver must send to the program under test, each bounded (SendMessageTimeout,
// 1 s, never past the hard limit). One Sender lives for one dump or one action: after the first
// timeout towards a thread, every later send to that thread fails at once, so a dialog whose UI
// thread is blocked costs about 1 s rather than 1 s a message.
#pragma once

#include <vector>

#include "windows_api.h"

namespace ui_driver {

class Sender {
public:
    // Sends `msg` to `h`; false when it failed or was skipped. `result` (may be null) gets the
    // message's result.
    bool Send(HWND h, UINT msg, WPARAM w, LPARAM l, DWORD_PTR* result);

private:
    std::vector<DWORD> busyThreads_;
};

}  // namespace ui_driver
