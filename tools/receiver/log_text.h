// Text from requests on its way to the request log, which is read on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace receiver {

// Writes every byte that is not printable ASCII (controls, DEL, everything above 127) and the
// backslash itself as \xNN, so nothing a client sends can move the cursor, clear the screen,
// retitle the window or start a new log line, and the original bytes can still be told.
std::string EscapeForLog(std::string_view text);

}  // namespace receiver
