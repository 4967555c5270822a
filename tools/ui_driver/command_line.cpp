#include "command_line.h"

#include <cstdio>
#include <cstdlib>

namespace ui_driver {

namespace {

const char kUsage[] =
    "usage: ui_driver.exe --out RECORDS_FILE --timeout SECONDS [--script SCRIPT_FILE] [--cwd DIR]\n"
    "                     --cmdline CMDLINE_FILE [--utf8] [--no-inject] [--verbose]\n"
    "exit codes: 0 program exited, 2 bad usage, 3 timeout (program killed), 4 program could not start\n";

bool Bad(const std::string& message) {
    Usage(message);
    return false;
}

}  // namespace

bool ParseCommandLine(int argc, char** argv, Options& opt) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& dst) {
            if (i + 1 >= argc) return false;
            dst = argv[++i];
            return true;
        };
        if (a == "--out") {
            if (!value(opt.out)) return Bad("--out needs a value");
        } else if (a == "--script") {
            if (!value(opt.script)) return Bad("--script needs a value");
        } else if (a == "--cwd") {
            if (!value(opt.cwd)) return Bad("--cwd needs a value");
        } else if (a == "--cmdline") {
            if (!value(opt.cmdline)) return Bad("--cmdline needs a value");
        } else if (a == "--timeout") {
            std::string v;
            if (!value(v)) return Bad("--timeout needs a value");
            char* end = nullptr;
            opt.timeout = std::strtod(v.c_str(), &end);
            if (!end || *end || !(opt.timeout > 0) || opt.timeout > 86400)
                return Bad("--timeout must be a number of seconds between 0 and 86400");
        } else if (a == "--utf8") {
            opt.utf8 = true;
        } else if (a == "--verbose") {
            opt.verbose = true;
        } else if (a == "--no-inject") {
            opt.inject = false;
        } else if (a == "--help" || a == "-h" || a == "/?") {
            std::fputs(kUsage, stdout);
            return false;
        } else {
            return Bad("unknown argument '" + a + "'");
        }
    }
    if (opt.out.empty()) return Bad("--out is required");
    if (opt.timeout <= 0) return Bad("--timeout is required");
    if (opt.cmdline.empty()) return Bad("--cmdline is required");
    return true;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "ui_driver: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

}  // namespace ui_driver
