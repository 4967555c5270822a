#include <filesystem>
#include <system_error>

#include "platform/process.h"

#include "platform/fake/state.h"

namespace platform {

std::string AppName() {
    return fake::Platform().appName;
}

std::string CommandLineArguments() {
    return fake::Platform().arguments;
}

std::string ModulePath() {
    return fake::Platform().modulePath;
}

// The folders the program asks for are Windows folders: recorded, not entered. Tests run
// in a folder of their own, which serves as the working directory.
void SetWorkingDirectory(const std::string& path) {
    fake::Platform().workingDirectoryRequests.push_back(path);
}

std::string WorkingDirectory() {
    return std::filesystem::current_path().string();
}

void CreateFolder(const std::string& path) {
    fake::Platform().createdFolders.push_back(path);
}

void CopyFileOver(const std::string& from, const std::string& to) {
    fake::Platform().copies.emplace_back(from, to);
    std::error_code failedCopyIsNotReported;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, failedCopyIsNotReported);
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
    if (fake::Platform().replaceFailures > 0) {
        --fake::Platform().replaceFailures;
        return false;
    }
    std::error_code error;
    std::filesystem::rename(source, target, error);
    return !error;
}

void SleepMilliseconds(int milliseconds) {
    fake::Platform().events.push_back(fake::Event::Pause(milliseconds));
    fake::Platform().tickMilliseconds += static_cast<unsigned long long>(milliseconds);
}

std::string ResourceString(int stringId) {
    const auto& strings = fake::Platform().resourceStrings;
    auto found = strings.find(stringId);
    return found == strings.end() ? std::string() : found->second;
}

}  // namespace platform
