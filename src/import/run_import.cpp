// The import itself: names the upload, encodes the rater's export file, writes
// "export.log", posts the quote to the customer's server and hands the agent over to the
// web product on the identifier made here.
#include <cstdio>

#include "config/route_table.h"
#include "import/server_address.h"
#include "import/quote_delivery.h"
#include "import/status_dialog.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "resource.h"
#include "support/number_time_text.h"
#include "support/text.h"
#include "support/text_file.h"

namespace {

const char kHeaderLine[] = "Content-Type: application/x-www-form-urlencoded";
constexpr int kHandOffWaitMs = 3000;

std::string FileGenName(const platform::ClockReading& t) {
    return IntToText(t.year) + IntToText(t.month) + IntToText(t.day) + IntToText(t.hour) + IntToText(t.minute) +
           IntToText(t.second) + ".sti";
}

std::string DateText(const platform::ClockReading& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", t.month, t.day, t.year);
    return text;
}

std::string TimeText(const platform::ClockReading& t) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
    return text;
}

void ShowInternetError(const std::string& description, const std::string& serverHost) {
    platform::ShowMessage("An HTTP Exception has occured. Click OK to see the error message");
    platform::ShowMessage(description);
    platform::ShowMessage("Server: " + serverHost);
}

}  // namespace

int StatusDialog::RunImport() {
    const platform::ClockReading start = platform::LocalTime();
    generatedFileName = FileGenName(start);
    importId = MakeStamp(platform::LocalTime);
    if (raterCode.empty()) return 0;

    lineBuffer.filePath = exportFilePath;
    const std::string headerPart = "source=Vantrel20&xversion=" + versionText + "&rater=" + raterCode +
                                   "&externalQuoteImportID=" + importId + "&fileGenName=" + generatedFileName;
    const std::string fieldPart = raterCode == "FSC" ? lineBuffer.EncodeRecords() : lineBuffer.EncodeLines();
    if (lineBuffer.TooManyLines()) {
        // A cut quote must never reach the server as if it were whole.
        platform::ShowMessage("The export file " + exportFilePath + " has more than " +
                              IntToText(QuoteLineBuffer::kLineCapacity) +
                              " lines, more than Vantrel can import.\nNothing was sent.");
        return 0;
    }
    const std::string formBody = headerPart + fieldPart;

    const std::string& product = settings->productName;
    const ServerAddress server = SplitServer(RouteLookupText(routeTable->FindServer(product), product));
    const std::string& serverHost = server.host;
    const std::string browserPath = RouteLookupText(routeTable->FindBrowserPath(product), product);
    const std::string startupLink =
        server.Scheme() + serverHost + "/" + settings->krnLaunchFile + "?externalQuoteImportID=" + importId;

    const std::string date = DateText(platform::LocalTime());
    const std::string time = TimeText12(TimeText(platform::LocalTime()));
    exportLogLines[0] = raterCode + " data export [" + date + " " + time + "]";
    exportLogLines[1] = "Server = " + serverHost + " KRN Browser Path = " + browserPath;
    exportLogLines[2] = "Web Post File = " + settings->serverPostFile;
    exportLogLines[3] = "KRN Startup link = " + startupLink;
    ShowStatus("Writing Export Log...");
    exportLogLines[4] = text::ReplaceAll(text::ReplaceAll(formBody, "&", "\n"), "%20", " ");
    WriteLines(exportLogLines, "export.log", '\n', kExportLogLines);

    versionLabel_.SetText(versionText);
    RepaintNow();
    ShowStatus("Connecting to " + serverHost);
    const Delivery delivery =
        DeliverQuote({platform::AppName(), serverHost, server.secure, settings->serverPostFile, kHeaderLine, formBody},
                     *this, [&] { ShowStatus("Sending Data to " + serverHost); });

    switch (delivery.sent.outcome) {
        case platform::PostResult::Outcome::kInternetError:
            ShowInternetError(delivery.sent.errorDescription, serverHost);
            return 0;
        case platform::PostResult::Outcome::kSendFailed:
            platform::ShowMessage("Server path=" + serverHost + "\nThe SendRequest() failed");
            return 1;
        case platform::PostResult::Outcome::kAnswered:
            break;
    }
    // A server that refused the quote (a mistyped post file, a failure of its own, a
    // redirect elsewhere) must not be shown as an import, nor the web product opened on an
    // import that does not exist.
    if (delivery.verdict != AnswerVerdict::kTaken) {
        platform::ShowMessage(RefusalMessage(serverHost, delivery.Answer()));
        return 0;
    }

    ShowStatus("Import Complete! Opening Web Site " + serverHost);
    platform::SleepMilliseconds(kHandOffWaitMs);
    const long long opened =
        FileExists(browserPath + "\\krn.hta")
            ? platform::ShellOpen("krn.hta", "externalQuoteImportID=" + importId, browserPath, platform::kShowRestore)
            : platform::ShellOpen(startupLink, "", "", platform::kShowNormal);
    if (opened <= 32) platform::ShowMessage("ERROR-Unable to display web page.");
    return 1;
}
