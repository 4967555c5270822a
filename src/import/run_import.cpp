#include "import/run_import.h"

#include <cstdio>
#include <memory>

#include "import/import_history.h"
#include "import/quote_delivery.h"
#include "import/quote_line_buffer.h"
#include "import/server_address.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "support/number_time_text.h"
#include "support/text.h"
#include "support/text_file.h"

namespace {

const char kHeaderLine[] = "Content-Type: application/x-www-form-urlencoded";
constexpr int kExportLogLines = 10;

std::string FileGenName(const ClockReading& t) {
    return IntToText(t.year) + IntToText(t.month) + IntToText(t.day) + IntToText(t.hour) + IntToText(t.minute) +
           IntToText(t.second) + ".sti";
}

std::string DateText(const ClockReading& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", t.month, t.day, t.year);
    return text;
}

std::string TimeText(const ClockReading& t) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
    return text;
}

ImportOutcome::Result ResultOf(const Delivery& delivery) {
    switch (delivery.sent.outcome) {
        case platform::PostResult::Outcome::kInternetError:
            return ImportOutcome::Result::kInternetError;
        case platform::PostResult::Outcome::kSendFailed:
            return ImportOutcome::Result::kSendFailed;
        case platform::PostResult::Outcome::kAnswered:
            break;
    }
    return delivery.verdict == AnswerVerdict::kTaken ? ImportOutcome::Result::kTaken : ImportOutcome::Result::kRefused;
}

// The import up to its outcome.
ImportOutcome Import(const ImportRequest& request, ImportProgress& progress) {
    ImportOutcome outcome;
    outcome.generatedFileName = FileGenName(request.clock());
    outcome.importId = MakeStamp(request.clock);
    outcome.exportFilePath = request.exportFilePath;
    if (request.rater.IsNobody()) return outcome;

    auto lineBuffer = std::make_unique<QuoteLineBuffer>();  // 5000 lines: too big for the stack
    lineBuffer->filePath = request.exportFilePath;
    const std::string raterCode = request.rater.Code();
    const std::string headerPart = "source=Vantrel20&xversion=" + request.versionText + "&rater=" + raterCode +
                                   "&externalQuoteImportID=" + outcome.importId +
                                   "&fileGenName=" + outcome.generatedFileName;
    switch (lineBuffer->LoadFile()) {
        case ExportFileLoad::kLoaded:
            break;
        case ExportFileLoad::kMissing:
            // Kept: the post still goes, without a field of the quote, as it always has; the
            // customers' servers and the import history know such an import by that.
            progress.ShowNotice("File does not exist " + request.exportFilePath);
            outcome.exportFileMissing = true;
            break;
        case ExportFileLoad::kUnreadable:
            outcome.exportFileMissing = true;
            break;
        case ExportFileLoad::kTooManyLines:
            // A cut quote must never reach the server as if it were whole.
            outcome.result = ImportOutcome::Result::kNotSent;
            return outcome;
    }
    const std::string fieldPart = request.rater.GetEncoding() == Encoding::kRecords ? lineBuffer->EncodeLoadedRecords()
                                                                                    : lineBuffer->EncodeLoadedLines();
    const std::string formBody = headerPart + fieldPart;

    const std::string& product = request.settings.productName;
    const ServerAddress server = SplitServer(RouteLookupText(request.routes.FindServer(product), product));
    outcome.serverHost = server.host;
    outcome.handOff = {RouteLookupText(request.routes.FindBrowserPath(product), product), outcome.importId,
                       StartPageAddress(server, request.settings.krnLaunchFile, outcome.importId)};

    // The date and the time each read the clock anew, the date first.
    const std::string date = DateText(request.clock());
    const std::string time = TimeText12(TimeText(request.clock()));
    std::string exportLogLines[kExportLogLines];
    exportLogLines[0] = raterCode + " data export [" + date + " " + time + "]";
    exportLogLines[1] = "Server = " + server.host + " KRN Browser Path = " + outcome.handOff.browserPath;
    exportLogLines[2] = "Web Post File = " + request.settings.serverPostFile;
    exportLogLines[3] = "KRN Startup link = " + outcome.handOff.startupLink;
    progress.ShowProgress("Writing Export Log...");
    exportLogLines[4] = text::ReplaceAll(text::ReplaceAll(formBody, "&", "\n"), "%20", " ");
    // Kept: an export log that cannot be written stops no import; it has only ever been a
    // record of what was sent, and the post goes as it always has.
    static_cast<void>(WriteLines(exportLogLines, "export.log", '\n', kExportLogLines));

    progress.ShowVersion(request.versionText);
    const unsigned long long connecting = platform::TickMilliseconds();
    progress.ShowProgress("Connecting to " + server.host);
    const Delivery delivery = DeliverQuote(
        {platform::AppName(), server.host, server.secure, request.settings.serverPostFile, kHeaderLine, formBody},
        progress);
    outcome.answerMs = platform::TickMilliseconds() - connecting;
    outcome.route = delivery.route;
    outcome.result = ResultOf(delivery);
    outcome.errorDescription = delivery.sent.errorDescription;
    outcome.answer = delivery.Answer();
    if (outcome.result == ImportOutcome::Result::kTaken) {
        progress.ShowProgress("Import Complete! Opening Web Site " + server.host);
    }
    return outcome;
}

}  // namespace

ImportOutcome RunImport(const ImportRequest& request, ImportProgress& progress) {
    const ImportOutcome outcome = Import(request, progress);
    if (outcome.result != ImportOutcome::Result::kNothingToImport) {
        // Support's record goes first, before a message box or the hand-off's wait can hold
        // the import up or the agent end it.
        // Kept: a history that cannot be written changes nothing the agent sees or waits for.
        static_cast<void>(AppendImportHistory(ImportHistoryLine(platform::LocalTimeWithOffset(), request.rater.Code(),
                                                                request.settings.productName, outcome)));
    }
    return outcome;
}
