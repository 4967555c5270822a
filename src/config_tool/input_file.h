// Reading a file the tool is asked to check or to check against. The program reads its files
// as 8-bit text in the system code page (bytes 0x80 to 0xFF are letters there), so a file in
// another form would load as something nobody wrote: one with NUL bytes (UTF-16, a binary)
// is refused before any check.
#pragma once

#include <string>
#include <variant>

struct InputRefused {
    std::string reason;  // one line naming the file
};

// The whole file, byte for byte, or why it cannot be checked.
[[nodiscard]] std::variant<std::string, InputRefused> ReadInputFile(const std::string& path);
