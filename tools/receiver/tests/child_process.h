// Another program run by a test (the receiver itself, the sqlite3 shell, openssl), with its
// standard input and output on pipes. Every wait is bounded; the program is killed with the
// object if it is still running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
public:
    // Starts `arguments[0]` (searched on PATH) with the rest as its arguments; standard error
    // goes to the same pipe as standard output. Throws std::runtime_error when it cannot start.
    explicit ChildProcess(const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Write(const std::string& text);
    void CloseInput();

    // The next line of output without its line feed; nullopt when none came within `limit`
    // or the output ended.
    std::optional<std::string> ReadLine(std::chrono::milliseconds limit);

    // All further output until it ends, at most `limit`.
    std::string ReadRest(std::chrono::milliseconds limit);

    // The exit code, or nullopt when the program had not ended within `limit` (it is then
    // killed) or ended by a signal.
    std::optional<int> Wait(std::chrono::milliseconds limit);

    void Signal(int number);

private:
    // Reads what is there into `pending_`; false at end of output or after `until`.
    bool Fill(std::chrono::steady_clock::time_point until);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string pending_;
    bool ended_ = false;
};
