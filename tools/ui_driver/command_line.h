// The driver's command line and exit codes (README.md, "Command line").
#pragma once

#include <string>

namespace ui_driver {

constexpr int kExitChildExited = 0;
constexpr int kExitUsage = 2;
constexpr int kExitTimeout = 3;
constexpr int kExitStartFailed = 4;

struct Options {
    std::string out;      // --out: the records file
    std::string script;   // --script, may be empty
    std::string cwd;      // --cwd, may be empty
    std::string cmdline;  // --cmdline: the file holding the program's command line
    double timeout = -1;  // --timeout, seconds
    bool utf8 = false;    // --utf8
    bool verbose = false;
    bool inject = true;  // false with --no-inject
};

// Reads the arguments into `options` and checks that --out, --timeout and --cmdline are there.
// False when the driver must stop with kExitUsage: after a bad argument (message and usage on
// stderr) or after --help (usage on stdout).
bool ParseCommandLine(int argc, char** argv, Options& options);

// Writes "ui_driver: <message>" and the usage to stderr; returns kExitUsage.
int Usage(const std::string& message);

}  // namespace ui_driver
