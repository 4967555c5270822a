#include "command_line.h"

#include <gtest/gtest.h>

namespace receiver {
namespace {

TEST(CommandLine, UnderstoodArguments) {
    struct Case {
        std::vector<std::string> arguments;
        std::string address;
        int port;
        std::string databasePath;
        std::string certificate;
        std::string key;
        bool help;
    };
    const std::vector<Case> cases = {
        {{}, "127.0.0.1", 80, "receiver.sqlite", "", "", false},
        {{"--port", "8080"}, "127.0.0.1", 8080, "receiver.sqlite", "", "", false},
        {{"--port=0"}, "127.0.0.1", 0, "receiver.sqlite", "", "", false},
        {{"--address", "0.0.0.0", "--db", "/tmp/x.sqlite"}, "0.0.0.0", 80, "/tmp/x.sqlite", "", "", false},
        {{"--db=a=b.sqlite", "--address=::1"}, "::1", 80, "a=b.sqlite", "", "", false},
        {{"--port", "65535", "--port", "81"}, "127.0.0.1", 81, "receiver.sqlite", "", "", false},
        {{"--help"}, "127.0.0.1", 80, "receiver.sqlite", "", "", true},
        {{"-h", "--port", "1"}, "127.0.0.1", 1, "receiver.sqlite", "", "", true},
        // HTTPS listens on 443 unless told otherwise.
        {{"--cert", "c.pem", "--key", "k.pem"}, "127.0.0.1", 443, "receiver.sqlite", "c.pem", "k.pem", false},
        {{"--key=k.pem", "--port", "8443", "--cert=c.pem"},
         "127.0.0.1",
         8443,
         "receiver.sqlite",
         "c.pem",
         "k.pem",
         false},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
        const std::string shown = testing::PrintToString(c.arguments);
        EXPECT_EQ(parsed.error, "") << shown;
        EXPECT_EQ(parsed.options.address, c.address) << shown;
        EXPECT_EQ(parsed.options.Port(), c.port) << shown;
        EXPECT_EQ(parsed.options.databasePath, c.databasePath) << shown;
        EXPECT_EQ(parsed.options.certificateFile, c.certificate) << shown;
        EXPECT_EQ(parsed.options.keyFile, c.key) << shown;
        EXPECT_EQ(parsed.options.Https(), !c.certificate.empty()) << shown;
        EXPECT_EQ(parsed.options.showHelp, c.help) << shown;
    }
}

TEST(CommandLine, RefusedArguments) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--port"}, "--port needs a value"},
        {{"--port", "80x"}, "--port takes a number from 0 to 65535, not \"80x\""},
        {{"--port", "-1"}, "--port takes a number from 0 to 65535, not \"-1\""},
        {{"--port=65536"}, "--port takes a number from 0 to 65535, not \"65536\""},
        {{"--port="}, "--port takes a number from 0 to 65535, not \"\""},
        {{"--db"}, "--db needs a value"},
        {{"--db="}, "--db needs a value"},
        {{"--address="}, "--address needs a value"},
        {{"--verbose"}, "unknown argument --verbose"},
        {{"receiver.sqlite"}, "unknown argument receiver.sqlite"},
        {{"--cert", "c.pem"}, "--cert and --key go together"},
        {{"--key", "k.pem"}, "--cert and --key go together"},
        {{"--cert=", "--key", "k.pem"}, "--cert needs a value"},
        {{"--cert", "c.pem", "--key"}, "--key needs a value"},
    };
    for (const auto& [arguments, error] : cases) {
        EXPECT_EQ(ParseCommandLine(arguments).error, error) << testing::PrintToString(arguments);
    }
}

TEST(CommandLine, UsageNamesEveryFlag) {
    for (const char* flag : {"--address", "--port", "--db", "--cert", "--key"}) {
        EXPECT_NE(UsageText().find(flag), std::string::npos) << flag;
    }
}

}  // namespace
}  // namespace receiver
