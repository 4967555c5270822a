// The one way the program touches files: open modes, the retry policy for files on network
// drives, whole-file reading into separated values and whole-file writing.
//
// Files are text files: every line feed is stored as CR LF, and a CR directly before a
// line feed is not seen when reading. That translation is done here, by our own code, so
// the program behaves byte for byte the same wherever it is built.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "support/field_reader.h"

// The C library's open modes, by what they let the program do.
enum class OpenMode {
    kReadOnly,       // "r"
    kOverwrite,      // "w"
    kAppend,         // "a"
    kReadWrite,      // "r+"
    kReadOverwrite,  // "w+"
    kReadAppend,     // "a+"
};

enum class RetryPolicy {
    kSingle,   // one try
    kNetwork,  // for files on network drives: kNetworkTries tries, kNetworkPauseMs after each
};

// Tries made by the network retry policy, and the pause after every try.
constexpr int kNetworkTries = 100;
constexpr int kNetworkPauseMs = 50;

// Whether an open that failed on every try is shown to the agent in a message box, besides
// being handed back. A failed close, which no caller could be told of, is always shown.
enum class OpenFailure { kHandBack, kReport };

// An open file; closes itself unless Close was called.
class OpenedFile {
public:
    OpenedFile() = default;
    explicit OpenedFile(std::FILE* file) : file_(file) {}
    ~OpenedFile();
    OpenedFile(OpenedFile&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
    OpenedFile& operator=(OpenedFile&& other) noexcept;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    explicit operator bool() const { return file_ != nullptr; }
    std::FILE* get() const { return file_; }
    // Closes the file; false when the close failed.
    bool Close();

private:
    std::FILE* file_ = nullptr;
};

// The C library mode of an open mode.
const char* LibraryMode(OpenMode mode);

// Opens `path` by the retry policy. When every try failed and the failure is to be
// reported, "Network Open failed: " or "Single Open failed: " and the path are shown.
[[nodiscard]] OpenedFile OpenFile(const std::string& path, OpenMode mode, RetryPolicy retryPolicy,
                                  OpenFailure onFailure);

// True when `path` can be opened for reading (one try, no pause, no message).
[[nodiscard]] bool FileExists(const std::string& path);

// Reads the file with the network retry policy and gives its bytes to `reader` until it
// wants no more. False, with nothing given, when the file cannot be opened.
[[nodiscard]] bool ReadFields(const std::string& path, FieldReader& reader);

// Reads the whole file into `values`, from its first element on, by the rules of
// FieldReader: every separator byte ends one value; a line feed drops what was gathered
// since the last separator on its line; a zero byte adds nothing; text after the last
// separator is dropped. Values beyond `capacity` are not stored. Elements past the last
// value found are left untouched. False, with `values` unchanged, when the file cannot be
// opened.
[[nodiscard]] bool ReadFields(const std::string& path, char separator, std::string values[], std::size_t capacity);

// The bytes WriteLines puts in the file for these values.
std::string LinesFileBytes(const std::string values[], char separator, std::size_t count);

// Rewrites the whole file from the first `count` values: each value, then the separator,
// then a line feed (just the value and a line feed when the separator is a line feed).
// The content goes to a temporary file beside `path` that then replaces it, so the file is
// always either the old one or the new one. While another program holds the file open so
// that it cannot be replaced, the content is written into it in place instead. Returns the
// number of characters written (before CR LF translation), or 0 when nothing was written
// and the old file was kept.
[[nodiscard]] std::size_t WriteLines(const std::string values[], const std::string& path, char separator,
                                     std::size_t count);

// For files that are the program's memory rather than its settings, which it can do
// without: one try each, no pause, nothing reported; the caller decides what a failure
// means.
//
// Reads the whole file's bytes. False, with `bytes` empty, when it cannot be opened or read.
[[nodiscard]] bool ReadWholeFileOnce(const std::string& path, std::string& bytes);
// Writes `bytes` to a temporary file beside `path` that then replaces it. A file another
// program holds open is left as it is, not written in place. False when the old file (or
// none) was kept.
[[nodiscard]] bool ReplaceFileOnce(const std::string& path, const std::string& bytes);
// Deletes the file; false when it could not be deleted or was not there.
[[nodiscard]] bool RemoveFile(const std::string& path);
