#include "config/tove_folder.h"

#include "support/text.h"

bool IsToveProgram(const std::string& programName) {
    return text::Contains(programName, "DAREDE");
}

std::string InToveFolder(const std::string& fileName) {
    return std::string(kToveFolder) + "\\" + fileName;
}
