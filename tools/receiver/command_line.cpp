#include "command_line.h"

#include <charconv>

namespace receiver {
namespace {

bool ParsePort(const std::string& text, std::optional<int>& port) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0 || value > 65535) {
        return false;
    }
    port = value;
    return true;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    ReceiverOptions& options = parsed.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string flag = arguments[i];
        if (flag == "--help" || flag == "-h") {
            options.showHelp = true;
            continue;
        }
        std::string value;
        bool hasValue = false;
        const std::size_t equals = flag.find('=');
        if (flag.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = flag.substr(equals + 1);
            flag.erase(equals);
            hasValue = true;
        }
        if (flag != "--address" && flag != "--port" && flag != "--db" && flag != "--cert" && flag != "--key") {
            parsed.error = "unknown argument " + arguments[i];
            return parsed;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                parsed.error = flag + " needs a value";
                return parsed;
            }
            value = arguments[++i];
        }
        if (flag == "--port") {
            if (!ParsePort(value, options.port)) {
                parsed.error = "--port takes a number from 0 to 65535, not \"" + value + "\"";
                return parsed;
            }
            continue;
        }
        if (value.empty()) {
            parsed.error = flag + " needs a value";
            return parsed;
        }
        if (flag == "--address") {
            options.address = value;
        } else if (flag == "--db") {
            options.databasePath = value;
        } else if (flag == "--cert") {
            options.certificateFile = value;
        } else {
            options.keyFile = value;
        }
    }
    if (options.certificateFile.empty() != options.keyFile.empty()) {
        parsed.error = "--cert and --key go together";
    }
    return parsed;
}

std::string UsageText() {
    return "usage: vantrel_receiver [--address ADDRESS] [--port PORT] [--db PATH] [--cert FILE --key FILE]\n"
           "\n"
           "Takes Vantrel's quote posts on any path, keeps each one in a SQLite file, and serves\n"
           "the start page Vantrel opens afterwards (any path with ?externalQuoteImportID=<id>).\n"
           "\n"
           "  --address ADDRESS  address to listen on (default 127.0.0.1)\n"
           "  --port PORT        port to listen on (default 80, the port Vantrel posts to, or 443 with --cert;\n"
           "                     0 picks a free one)\n"
           "  --db PATH          the SQLite file of the imports (default receiver.sqlite here)\n"
           "  --cert FILE        serve HTTPS with this PEM certificate (the server's first, then any chain)\n"
           "  --key FILE         and this PEM private key\n"
           "\n"
           "Browse http://ADDRESS:PORT/ (https:// with --cert) for the list of imports. Stops on Ctrl+C or\n"
           "SIGTERM.\n";
}

}  // namespace receiver
