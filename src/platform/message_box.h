// Modal message boxes: an OK button, the warning icon and the application name as caption.
#pragma once

#include <string>

namespace platform {

// Shows `text` exactly as given (line feeds break lines) and waits until it is dismissed.
void ShowMessage(const std::string& text);

}  // namespace platform
