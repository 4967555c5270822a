#include "support/text_file.h"

#include <functional>
#include <utility>

#include "platform/message_box.h"
#include "platform/process.h"

namespace {

// A failure no caller could be told of (a failed close), or one the caller asked to have
// reported, is shown to the agent.
void Report(const std::string& message) {
    platform::ShowMessage(message);
}

// Runs `attempt` by the retry policy: one try, or up to 100 with a pause after each.
bool WithRetries(RetryPolicy retryPolicy, const std::function<bool()>& attempt) {
    if (retryPolicy == RetryPolicy::kSingle) return attempt();
    for (int tryNumber = 0; tryNumber < kNetworkTries; ++tryNumber) {
        const bool done = attempt();
        // Kept: as every release has had it, for the raters that start the program and wait
        // for it: the pause follows the successful try too, so every read and write takes
        // 50 ms and the program's timing stays the one they have always met.
        platform::SleepMilliseconds(kNetworkPauseMs);
        if (done) return true;
    }
    return false;
}

// The lines of WriteLines, before their line feeds become CR LF.
std::string JoinedLines(const std::string values[], char separator, std::size_t count) {
    std::string content;
    for (std::size_t i = 0; i < count; ++i) {
        content += values[i];
        if (separator != '\n') content += separator;
        content += '\n';
    }
    return content;
}

std::string WithCrLf(const std::string& content) {
    std::string onDisk;
    onDisk.reserve(content.size() + content.size() / 8);
    for (char c : content) {
        if (c == '\n') onDisk += '\r';
        onDisk += c;
    }
    return onDisk;
}

void ReportFailedClose(const std::string& path) {
    Report("File failed close: " + path);
}

// Whether a failed close is shown to the agent or only handed back.
enum class CloseFailure { kHandBack, kReport };

// Writes `bytes` as the whole of `path` through a file opened by the given policy. A failed
// close counts as a failed write; when it is to be reported, it is under the name of the
// file being saved.
bool WriteWholeFile(const std::string& path, RetryPolicy retryPolicy, const std::string& bytes,
                    const std::string& savedPath, CloseFailure onFailedClose = CloseFailure::kReport) {
    OpenedFile file = OpenFile(path, OpenMode::kReadOverwrite, retryPolicy, OpenFailure::kHandBack);
    if (!file) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    if (!file.Close()) {
        if (onFailedClose == CloseFailure::kReport) ReportFailedClose(savedPath);
        written = false;
    }
    return written;
}

// The normal way a file is rewritten is a whole new file swapped in, so a crash mid-write
// leaves the old file whole. The swap cannot work while another program holds the target
// open without delete sharing (most programs and virus scanners do); the content then goes
// into the file in place, as a plain overwrite would, so such a save is not lost. That only
// happens once the new file was written whole beside it: a disk too full for it must not
// cost the old file too. Both are tried as long as an open would be, pausing only after a
// try where neither worked, so a normal save costs no extra wait.
bool ReplaceOrOverwrite(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    if (!WriteWholeFile(temporary, RetryPolicy::kNetwork, bytes, path)) {
        std::remove(temporary.c_str());
        return false;
    }
    for (int tryNumber = 0; tryNumber < kNetworkTries; ++tryNumber) {
        if (platform::ReplaceFileWith(temporary, path)) return true;
        if (WriteWholeFile(path, RetryPolicy::kSingle, bytes, path)) {
            std::remove(temporary.c_str());
            return true;
        }
        platform::SleepMilliseconds(kNetworkPauseMs);
    }
    std::remove(temporary.c_str());
    return false;
}

}  // namespace

OpenedFile::~OpenedFile() {
    if (file_) std::fclose(file_);
}

OpenedFile& OpenedFile::operator=(OpenedFile&& other) noexcept {
    if (this != &other) {
        if (file_) std::fclose(file_);
        file_ = other.file_;
        other.file_ = nullptr;
    }
    return *this;
}

bool OpenedFile::Close() {
    std::FILE* file = file_;
    file_ = nullptr;
    return file == nullptr || std::fclose(file) == 0;
}

const char* LibraryMode(OpenMode mode) {
    switch (mode) {
        case OpenMode::kReadOnly:
            return "r";
        case OpenMode::kOverwrite:
            return "w";
        case OpenMode::kAppend:
            return "a";
        case OpenMode::kReadWrite:
            return "r+";
        case OpenMode::kReadOverwrite:
            return "w+";
        case OpenMode::kReadAppend:
            return "a+";
    }
    return "r";
}

OpenedFile OpenFile(const std::string& path, OpenMode mode, RetryPolicy retryPolicy, OpenFailure onFailure) {
    // Binary at the library level: line ends are translated by this module itself.
    const std::string libraryMode = std::string(LibraryMode(mode)) + "b";
    std::FILE* file = nullptr;
    const bool opened = WithRetries(retryPolicy, [&] {
        file = std::fopen(path.c_str(), libraryMode.c_str());
        return file != nullptr;
    });
    if (!opened && onFailure == OpenFailure::kReport) {
        const bool network = retryPolicy == RetryPolicy::kNetwork;
        Report((network ? "Network Open failed: " : "Single Open failed: ") + path);
    }
    return OpenedFile(file);
}

bool FileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

bool ReadFields(const std::string& path, FieldReader& reader) {
    OpenedFile file = OpenFile(path, OpenMode::kReadOnly, RetryPolicy::kNetwork, OpenFailure::kHandBack);
    if (!file) return false;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0 && reader.Take(buffer, got)) {
    }
    if (!file.Close()) ReportFailedClose(path);
    return true;
}

bool ReadFields(const std::string& path, char separator, std::string values[], std::size_t capacity) {
    FieldReader reader(separator, values, capacity);
    return ReadFields(path, reader);
}

std::string LinesFileBytes(const std::string values[], char separator, std::size_t count) {
    return WithCrLf(JoinedLines(values, separator, count));
}

std::size_t WriteLines(const std::string values[], const std::string& path, char separator, std::size_t count) {
    const std::string content = JoinedLines(values, separator, count);
    return ReplaceOrOverwrite(path, WithCrLf(content)) ? content.size() : 0;
}

bool ReadWholeFileOnce(const std::string& path, std::string& bytes) {
    bytes.clear();
    // A failed close of a file only read loses nothing: the destructor closes it.
    OpenedFile file = OpenFile(path, OpenMode::kReadOnly, RetryPolicy::kSingle, OpenFailure::kHandBack);
    if (!file) return false;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    if (std::ferror(file.get())) {
        bytes.clear();
        return false;
    }
    return true;
}

bool ReplaceFileOnce(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    if (WriteWholeFile(temporary, RetryPolicy::kSingle, bytes, path, CloseFailure::kHandBack) &&
        platform::ReplaceFileWith(temporary, path)) {
        return true;
    }
    std::remove(temporary.c_str());
    return false;
}

bool RemoveFile(const std::string& path) {
    return std::remove(path.c_str()) == 0;
}
