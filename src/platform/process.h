// Process and file-system facts the program needs from the operating system.
// The real implementation calls the Win32 "...A" functions; the fake twin used by
// native tests answers from settable values and records what was asked.
#pragma once

#include <string>

namespace platform {

// The program file's name without its folder and extension ("Vantrel" for Vantrel.exe).
// It is also the caption of every message box.
std::string AppName();

// The argument part of the command line: everything after the program's own path.
std::string CommandLineArguments();

// Full path of the running executable, at most 260 characters.
std::string ModulePath();

// A folder that cannot be entered leaves the working directory as it was; the program then
// finds its files there, as it always has, without a word.
void SetWorkingDirectory(const std::string& path);
std::string WorkingDirectory();

// Creates one folder. A folder that exists already, or cannot be made, is left as it is.
void CreateFolder(const std::string& path);

// Copies a file over an existing one. A copy that fails is not reported: failures of the
// configuration files are silent.
void CopyFileOver(const std::string& from, const std::string& to);

// Replaces `target` by `source` in one step, so a reader sees either the old file or the
// new one, never a part of either. The source is gone afterwards when this succeeds.
[[nodiscard]] bool ReplaceFileWith(const std::string& source, const std::string& target);

void SleepMilliseconds(int milliseconds);

// A string resource of the program; empty when there is none.
std::string ResourceString(int stringId);

}  // namespace platform
