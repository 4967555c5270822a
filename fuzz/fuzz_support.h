// What every fuzz target shares: a private folder for the files a target writes, whole-file
// helpers and a check that stops the run.
//
// The program names its files relative to the working directory ("Vantrel.dat",
// "PRoute.dat"), so a target works inside a folder of its own, made at start under $TMPDIR
// (or /tmp) and removed at a normal exit. The working directory is that folder only while
// an input runs: libFuzzer's own paths (corpus folders, artifacts) keep meaning what they
// meant on the command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Run once by libFuzzer before any input (this file defines LLVMFuzzerInitialize for every
// target): makes the private folder, and saves crash inputs where the run started unless
// -artifact_prefix says otherwise.
void Prepare(int* argc, char*** argv);

// Makes the private folder the working directory while alive, with a fresh fake platform.
class InPrivateFolder {
public:
    InPrivateFolder();
    ~InPrivateFolder();
    InPrivateFolder(const InPrivateFolder&) = delete;
    InPrivateFolder& operator=(const InPrivateFolder&) = delete;
};

std::string Bytes(const std::uint8_t* data, std::size_t size);
void WriteFile(const char* name, const std::string& bytes);
// The whole file; `exists` tells whether it could be opened.
std::string ReadFile(const char* name, bool* exists = nullptr);
bool IsWhiteSpace(char c);

// Reports `what` and stops the process the way libFuzzer counts as a crash.
[[noreturn]] void Fail(const char* what, const char* file, int line);

}  // namespace fuzz

#define FUZZ_CHECK(condition)                                           \
    do {                                                                \
        if (!(condition)) ::fuzz::Fail(#condition, __FILE__, __LINE__); \
    } while (0)
