#include <windows.h>
#include <shellapi.h>

#include "platform/shell.h"

namespace platform {

long long ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                    int showCommand) {
    // File, parameters and folder go to the shell separately: nothing here is ever put
    // together into a command for an interpreter.
    HINSTANCE result = ShellExecuteA(nullptr, "open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                                     directory.empty() ? nullptr : directory.c_str(), showCommand);
    return reinterpret_cast<INT_PTR>(result);
}

}  // namespace platform
