// The receiver's command line:
//   vantrel_receiver [--address ADDRESS] [--port PORT] [--db PATH] [--help]
// Each flag also takes its value after "=" (--port=8080).
#pragma once

#include <string>
#include <vector>

namespace receiver {

struct ReceiverOptions {
    // Only this machine by default: the receiver is a stand-in to look at, not a server to
    // put on a network.
    std::string address = "127.0.0.1";
    // Vantrel always posts to port 80. 0 picks a free port (printed at start).
    int port = 80;
    std::string databasePath = "receiver.sqlite";
    bool showHelp = false;
};

struct ParsedCommandLine {
    ReceiverOptions options;
    std::string error;  // empty when the arguments were understood
};

// `arguments` without the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace receiver
