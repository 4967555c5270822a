#include <windows.h>

#include "platform/process.h"
#include "platform/win32/command_line.h"

namespace platform {
namespace {
std::string& StoredArguments() {
    static std::string arguments;
    return arguments;
}
}  // namespace

void win32::SetCommandLineArguments(const std::string& arguments) {
    StoredArguments() = arguments;
}

std::string CommandLineArguments() {
    return StoredArguments();
}

std::string ModulePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string AppName() {
    std::string name = ModulePath();
    name.erase(0, name.find_last_of("\\/:") + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

void SetWorkingDirectory(const std::string& path) {
    SetCurrentDirectoryA(path.c_str());
}

std::string WorkingDirectory() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
    return length <= MAX_PATH ? std::string(path, length) : std::string();
}

void CreateFolder(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
}

void CopyFileOver(const std::string& from, const std::string& to) {
    CopyFileA(from.c_str(), to.c_str(), FALSE);
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
    // ReplaceFileA would fail while the target does not exist yet; a move with
    // replace-existing covers both, and write-through returns only once it is on disk.
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void SleepMilliseconds(int milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds));
}

std::string ResourceString(int stringId) {
    char text[512] = {};
    const int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(stringId), text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

}  // namespace platform
