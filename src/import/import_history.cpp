#include "import/import_history.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "platform/process.h"
#include "support/text_file.h"

namespace {

using Result = ImportOutcome::Result;

std::string IsoLocalTime(const ZonedClockReading& at) {
    const ClockReading& t = at.local;
    const int offset = std::abs(at.utcOffsetMinutes);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, at.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

const char* RouteText(PostRoute route) {
    switch (route) {
        case PostRoute::kPlain:
            return "http";
        case PostRoute::kTls:
            return "https";
        case PostRoute::kMovedToTls:
            return "http->https";
        case PostRoute::kKnownTls:
            return "https (known)";
    }
    return "";
}

// A file that was not there is the first thing support must see: what the server made of
// the post without the quote comes in the fields after it.
const char* OutcomeWord(const ImportOutcome& outcome) {
    if (outcome.exportFileMissing) return "file-missing";
    switch (outcome.result) {
        case Result::kTaken:
            return "taken";
        case Result::kRefused:
            return "refused";
        case Result::kInternetError:
            return "internet-error";
        case Result::kSendFailed:
            return "send-failed";
        case Result::kNotSent:
            return "not-sent";
        case Result::kNothingToImport:
            break;
    }
    return "";
}

bool Posted(Result result) {
    return result == Result::kTaken || result == Result::kRefused || result == Result::kInternetError ||
           result == Result::kSendFailed;
}

bool Answered(Result result) {
    return result == Result::kTaken || result == Result::kRefused;
}

std::string StatusText(const ServerAnswer& answer) {
    const std::string code = std::to_string(answer.statusCode);
    return answer.reason.empty() ? code : code + " " + answer.reason;
}

// A field must stay one field on one line, whatever a server put in its reason or Location.
std::string OneField(std::string field) {
    for (char& c : field) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return field;
}

// The size of the open history, or -1 when it cannot be told.
long SizeOf(const OpenedFile& file) {
    return std::fseek(file.get(), 0, SEEK_END) == 0 ? std::ftell(file.get()) : -1;
}

OpenedFile OpenHistory() {
    return OpenFile(kImportHistoryFile, OpenMode::kAppend, RetryPolicy::kSingle, OpenFailure::kHandBack);
}

}  // namespace

std::string ImportHistoryLine(const ZonedClockReading& at, const std::string& raterCode, const std::string& productName,
                              const ImportOutcome& outcome) {
    const Result result = outcome.result;
    const bool posted = Posted(result);
    const bool redirectRefused = result == Result::kRefused && outcome.answer.statusCode / 100 == 3;
    const std::string fields[] = {
        IsoLocalTime(at),
        outcome.importId,
        raterCode,
        productName,
        posted ? outcome.serverHost : "",
        posted ? RouteText(outcome.route) : "",
        OutcomeWord(outcome),
        Answered(result) ? StatusText(outcome.answer) : "",
        redirectRefused ? outcome.answer.location : "",
        result == Result::kInternetError ? outcome.errorDescription : "",
        posted ? std::to_string(outcome.answerMs) : "",
    };
    std::string line = OneField(fields[0]);
    for (std::size_t i = 1; i < std::size(fields); ++i) line += '\t' + OneField(fields[i]);
    return line;
}

bool AppendImportHistory(const std::string& line) {
    const std::string bytes = line + "\r\n";
    OpenedFile file = OpenHistory();
    if (!file) return false;
    const long size = SizeOf(file);
    if (size < 0) return false;
    if (size > 0 && static_cast<std::size_t>(size) + bytes.size() > kImportHistoryLimit) {
        // Nothing was written through this handle, so its close has nothing to lose.
        file.Close();
        if (!platform::ReplaceFileWith(kImportHistoryFile, kOldImportHistoryFile)) return false;
        file = OpenHistory();
        if (!file) return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    return file.Close() && written;
}
