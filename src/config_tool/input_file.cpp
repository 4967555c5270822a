#include "config_tool/input_file.h"

#include <cstdio>

#include "support/text_file.h"

std::variant<std::string, InputRefused> ReadInputFile(const std::string& path) {
    OpenedFile file = OpenFile(path, OpenMode::kReadOnly, RetryPolicy::kSingle, OpenFailure::kHandBack);
    if (!file) return InputRefused{path + " cannot be read: it is missing, or held by another program"};
    std::string bytes;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    const bool readWhole = !std::ferror(file.get());
    if (!file.Close() || !readWhole) return InputRefused{path + " could not be read to its end"};
    if (bytes.find('\0') != std::string::npos) {
        return InputRefused{path + " is not 8-bit text: it holds NUL bytes (is it UTF-16, or not a text file?)"};
    }
    return bytes;
}
