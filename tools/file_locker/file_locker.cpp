// Holds a file open the way another program on the agent's PC can, so the end-to-end tests
// see what Vantrel does with a file it cannot open or replace:
//   file_locker.exe <path> <seconds> [none|readwrite]
// "none" (the default) shares nothing, like a backup tool or a rater still writing its
// export; "readwrite" shares reading and writing but not deleting, as most programs and
// virus scanners do, so the file can be written but not replaced.
// Writes "<path>.locked" beside the file once the lock is held, and ends after <seconds>.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const std::string sharing = argc == 4 ? argv[3] : "none";
    if ((argc != 3 && argc != 4) || (sharing != "none" && sharing != "readwrite")) {
        std::fprintf(stderr, "usage: file_locker <path> <seconds> [none|readwrite]\n");
        return 2;
    }
    const DWORD shareMode = sharing == "readwrite" ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, shareMode, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
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
