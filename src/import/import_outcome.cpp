#include "import/import_outcome.h"

#include "import/quote_line_buffer.h"
#include "support/number_time_text.h"

std::vector<std::string> ImportOutcome::Messages() const {
    switch (result) {
        case Result::kNothingToImport:
        case Result::kTaken:
            return {};
        case Result::kNotSent:
            return {"The export file " + exportFilePath + " has more than " +
                    IntToText(QuoteLineBuffer::kLineCapacity) +
                    " lines, more than Vantrel can import.\nNothing was sent."};
        case Result::kRefused:
            return {RefusalMessage(serverHost, answer)};
        case Result::kInternetError:
            return {"An HTTP Exception has occured. Click OK to see the error message", errorDescription,
                    "Server: " + serverHost};
        case Result::kSendFailed:
            return {"Server path=" + serverHost + "\nThe SendRequest() failed"};
    }
    return {};
}
