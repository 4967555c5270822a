// Holds a file open without sharing it, the way another program on the agent's PC (a
// backup tool, a rater still writing its export) can, so the end-to-end tests see what
// Vantrel does with a file it cannot open or replace.
//   file_locker.exe <path> <seconds>
// Writes "<path>.locked" beside the file once the lock is held, and ends after <seconds>.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: file_locker <path> <seconds>\n");
        return 2;
    }
    HANDLE file =
        CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "file_locker: cannot open %s (%lu)\n", argv[1], GetLastError());
        return 1;
    }
    const std::string marker = std::string(argv[1]) + ".locked";
    if (std::FILE* flag = std::fopen(marker.c_str(), "wb")) std::fclose(flag);
    Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
    CloseHandle(file);
    std::remove(marker.c_str());
    return 0;
}
