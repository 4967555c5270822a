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
#include <vector>

namespace fuzz {

// Run once by libFuzzer before any input (this file defines LLVMFuzzerInitialize for every
// target): makes the private folder, and saves crash inputs where the run started unless
// -artifact_prefix says otherwise.
void Prepare(int* argc, char*** argv);

// Makes the private folder the working directory while alive, with a fresh fake platform.
// One made while another is alive changes nothing.
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

// The values the program's reading rules give for the bytes of a text file, worked out the
// plain way as a second opinion on FieldReader: CR LF taken as LF first, and a CR that ends
// the text dropped (no byte follows to show it is not before a line feed), then byte by
// byte. All of them, past any capacity.
std::vector<std::string> ExpectedFields(const std::string& file, char separator);

// True on about one input in `n`, the same for the same input: for the checks through real
// files, which cost far more than the in-memory ones.
bool OneIn(std::size_t n, const std::uint8_t* data, std::size_t size);

// Reports `what` and stops the process the way libFuzzer counts as a crash.
[[noreturn]] void Fail(const char* what, const char* file, int line);

}  // namespace fuzz

#define FUZZ_CHECK(condition)                                           \
    do {                                                                \
        if (!(condition)) ::fuzz::Fail(#condition, __FILE__, __LINE__); \
    } while (0)
