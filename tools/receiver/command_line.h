// The receiver's command line:
//   vantrel_receiver [--address ADDRESS] [--port PORT] [--db PATH] [--cert FILE --key FILE] [--help]
// Each flag also takes its value after "=" (--port=8080).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace receiver {

struct ReceiverOptions {
    // Only this machine by default: the receiver is a stand-in to look at, not a server to
    // put on a network.
    std::string address = "127.0.0.1";
    // nullopt: 80, where Vantrel posts, or 443 with --cert. 0 picks a free port (printed at start).
    std::optional<int> port;
    std::string databasePath = "receiver.sqlite";
    // HTTPS with this PEM certificate and private key when both are given.
    std::string certificateFile;
    std::string keyFile;
    bool showHelp = false;

    bool Https() const { return !certificateFile.empty(); }
    int Port() const { return port.value_or(Https() ? 443 : 80); }
};

struct ParsedCommandLine {
    ReceiverOptions options;
    std::string error;  // empty when the arguments were understood
};

// `arguments` without the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace receiver
