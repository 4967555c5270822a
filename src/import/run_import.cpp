#include "import/run_import.h"

#include <cstdio>
#include <memory>

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

}  // namespace

ImportOutcome RunImport(const ImportRequest& request, ImportProgress& progress) {
    ImportOutcome outcome;
    outcome.generatedFileName = FileGenName(request.clock());
    outcome.importId = MakeStamp(request.clock);
    outcome.exportFilePath = request.exportFilePath;
    if (request.raterCode.empty()) return outcome;

    auto lineBuffer = std::make_unique<QuoteLineBuffer>();  // 5000 lines: too big for the stack
    lineBuffer->filePath = request.exportFilePath;
    const std::string headerPart = "source=Vantrel20&xversion=" + request.versionText + "&rater=" + request.raterCode +
                                   "&externalQuoteImportID=" + outcome.importId +
                                   "&fileGenName=" + outcome.generatedFileName;
    const std::string fieldPart = request.raterCode == "FSC" ? lineBuffer->EncodeRecords() : lineBuffer->EncodeLines();
    if (lineBuffer->TooManyLines()) {
        // A cut quote must never reach the server as if it were whole.
        outcome.result = ImportOutcome::Result::kNotSent;
        return outcome;
    }
    outcome.exportFileMissing = lineBuffer->FileMissing();
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
    exportLogLines[0] = request.raterCode + " data export [" + date + " " + time + "]";
    exportLogLines[1] = "Server = " + server.host + " KRN Browser Path = " + outcome.handOff.browserPath;
    exportLogLines[2] = "Web Post File = " + request.settings.serverPostFile;
    exportLogLines[3] = "KRN Startup link = " + outcome.handOff.startupLink;
    progress.ShowProgress("Writing Export Log...");
    exportLogLines[4] = text::ReplaceAll(text::ReplaceAll(formBody, "&", "\n"), "%20", " ");
    WriteLines(exportLogLines, "export.log", '\n', kExportLogLines);

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
