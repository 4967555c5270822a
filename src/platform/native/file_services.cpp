// The file services of platform/process.h that the configuration tool needs when it is built
// natively (an agency's IT may make the files on Linux or macOS): replacing a file in one
// step and the pause between tries. The tool calls nothing else of the platform.
#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "platform/process.h"

namespace platform {

bool ReplaceFileWith(const std::string& source, const std::string& target) {
    // A rename within one folder replaces the target in one step on every POSIX system.
    std::error_code error;
    std::filesystem::rename(source, target, error);
    return !error;
}

void SleepMilliseconds(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
