// Stands in for the browser and the launch-page host in the end-to-end tests. Registered in
// the test Wine prefix as the open command for web addresses and .hta files, it appends
// one line per start to "handoff.log" beside itself:
//   <working directory> TAB <its command line after its own path>
// so a test sees exactly what the shell was asked to open, and from where.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The command line after the program's own path, as the shell built it.
std::string ArgumentPart() {
    const char* line = GetCommandLineA();
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

std::string OwnFolder() {
    char path[MAX_PATH + 1] = {};
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of('\\'));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char directory[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    const std::string log = OwnFolder() + "\\handoff.log";
    std::FILE* file = std::fopen(log.c_str(), "ab");
    if (!file) return 1;
    std::fprintf(file, "%s\t%s\n", directory, ArgumentPart().c_str());
    std::fclose(file);
    return 0;
}
