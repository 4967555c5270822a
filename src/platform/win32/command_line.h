// The argument part of the command line as the process entry received it.
#pragma once

#include <string>

namespace platform::win32 {
void SetCommandLineArguments(const std::string& arguments);
}
