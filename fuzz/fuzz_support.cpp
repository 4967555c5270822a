#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/fake/state.h"

namespace fuzz {
namespace {

int startFolder = -1;    // where the run started
int privateFolder = -1;  // this process's own folder
std::string privatePath;
int nesting = 0;  // InPrivateFolder objects alive

void RemovePrivateFolder() {
    if (startFolder >= 0 && fchdir(startFolder) != 0) return;
    std::error_code ignored;
    std::filesystem::remove_all(privatePath, ignored);
}

void ChangeTo(int folder) {
    if (fchdir(folder) != 0) {
        std::perror("fuzz: fchdir");
        std::abort();
    }
}

}  // namespace

void Prepare(int* argc, char*** argv) {
    startFolder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantrel-fuzz.XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (startFolder < 0 || mkdtemp(name.data()) == nullptr) {
        std::perror("fuzz: making the private folder");
        std::exit(1);
    }
    privatePath = name.data();
    privateFolder = open(privatePath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (privateFolder < 0) {
        std::perror("fuzz: opening the private folder");
        std::exit(1);
    }
    std::atexit(RemovePrivateFolder);

    // A crash inside an input happens in the private folder; its input is saved where the run
    // started, as it would be without the folder.
    for (int i = 1; i < *argc; ++i) {
        if (std::string((*argv)[i]).rfind("-artifact_prefix=", 0) == 0) return;
    }
    static std::string prefix = "-artifact_prefix=" + std::filesystem::current_path().string() + "/";
    static std::vector<char*> arguments;
    arguments.assign(*argv, *argv + *argc);
    arguments.push_back(prefix.data());
    arguments.push_back(nullptr);
    *argc += 1;
    *argv = arguments.data();
}

InPrivateFolder::InPrivateFolder() {
    if (nesting++ > 0) return;
    ChangeTo(privateFolder);
    fake::Reset();
}

InPrivateFolder::~InPrivateFolder() {
    if (--nesting == 0) ChangeTo(startFolder);
}

std::string Bytes(const std::uint8_t* data, std::size_t size) {
    return size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
}

void WriteFile(const char* name, const std::string& bytes) {
    std::FILE* file = std::fopen(name, "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
        std::perror("fuzz: writing an input file");
        std::abort();
    }
}

std::string ReadFile(const char* name, bool* exists) {
    std::string bytes;
    std::FILE* file = std::fopen(name, "rb");
    if (exists) *exists = file != nullptr;
    if (file == nullptr) return bytes;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

std::vector<std::string> ExpectedFields(const std::string& file, char separator) {
    std::vector<std::string> values;
    std::string pending;
    for (std::size_t i = 0; i < file.size(); ++i) {
        const char c = file[i];
        if (c == '\r' && (i + 1 == file.size() || file[i + 1] == '\n')) continue;
        if (c == separator) {
            values.push_back(pending);
            pending.clear();
        } else if (c == '\n') {
            pending.clear();
        } else if (c != '\0') {
            pending += c;
        }
    }
    return values;
}

bool OneIn(std::size_t n, const std::uint8_t* data, std::size_t size) {
    std::size_t hash = size;
    for (std::size_t i = 0; i < size && i < 16; ++i) hash = hash * 31 + data[i];
    return hash % n == 0;
}

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "\n== Check failed: %s (%s:%d)\n", what, file, line);
    std::fflush(stderr);
    if (startFolder >= 0 && fchdir(startFolder) != 0) std::perror("fuzz: fchdir");
    __builtin_trap();
}

}  // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::Prepare(argc, argv);
    return 0;
}
