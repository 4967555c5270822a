// What became of one import, and what the agent is told about it.
#pragma once

#include <string>
#include <vector>

#include "import/quote_delivery.h"
#include "import/server_answer.h"

// Where the agent is handed over to the web product once the server took the quote.
struct HandOff {
    std::string browserPath;  // the product's local folder, opened on "krn.hta" when it holds one
    std::string importId;     // the identifier the quote was posted under
    std::string startupLink;  // the start page on the server, opened in the browser otherwise
};

struct ImportOutcome {
    enum class Result {
        kNothingToImport,  // no rater code: nothing was read, written or sent
        kNotSent,          // the export file could not be taken whole
        kTaken,            // the server took the quote: the hand-off is to be made
        kRefused,          // the server, or the proxy before it, answered without taking it
        kInternetError,    // the network failed the post
        kSendFailed,       // the send said it failed, without an error of its own
    };
    Result result = Result::kNothingToImport;
    std::string generatedFileName;  // named for the upload, made before anything else
    std::string importId;           // likewise
    std::string exportFilePath;     // the file that was (or could not be) imported
    std::string serverHost;         // the route's server as the agent sees it, without the scheme
    std::string errorDescription;   // kInternetError: the system's text, possibly empty
    ServerAnswer answer;            // kRefused: what came back
    // The export file could not be read when the import encoded it: the post went all the
    // same, carrying the header part alone.
    bool exportFileMissing = false;
    PostRoute route = PostRoute::kPlain;  // how the post travelled, once it was made
    unsigned long long answerMs = 0;      // from "Connecting to" to the answer or the failure
    HandOff handOff;                      // kTaken

    // The messages the agent is shown, one box each, in order; none when the server took it.
    std::vector<std::string> Messages() const;
};
