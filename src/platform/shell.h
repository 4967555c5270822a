// Handing a document or a web address to the system's default program.
#pragma once

#include <string>

namespace platform {

constexpr int kShowNormal = 1;
constexpr int kShowRestore = 9;

// Performs the verb "open" on `file` (a document or a web address) with the given
// parameters and working directory, either of which may be empty. Returns the shell's
// result: 32 or less means it failed.
long long ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                    int showCommand);

}  // namespace platform
