// ui_driver: starts the program under test, watches its visible top-level dialogs, records what
// they show and acts on them as a script says (README.md next to this file).
//
// Nothing here may block on the UI thread of the program under test: window text is read
// without sending a message, every message that must be sent is bounded (sender.h), and every
// wait ends at the run's hard limit (run_clock.h).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "actions.h"
#include "command_line.h"
#include "records.h"
#include "remote_caller.h"
#include "run_clock.h"
#include "script.h"
#include "text.h"
#include "window_dump.h"
#include "window_info.h"
#include "window_watch.h"

using namespace ui_driver;

namespace {

constexpr DWORD kTimeoutGraceMs = 4000;  // extra time allowed for the final dump after TIMEOUT
constexpr DWORD kKillWaitMs = 5000;      // wait for the child to die after TerminateProcess
constexpr DWORD kJobDrainMs = 10000;     // programs the child started may finish this long

// A job whose processes are killed when its last handle closes (so when the driver dies); null
// when it cannot be set up, and the driver goes on without one.
HANDLE CreateKillOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
        std::memset(&limits, 0, sizeof limits);
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(job);
            job = nullptr;
        }
    }
    return job;
}

// Waits until no process is left in `job`, or `limitMs` has passed.
void WaitForJobToEmpty(HANDLE job, DWORD limitMs) {
    if (!job) return;
    const ULONGLONG end = GetTickCount64() + limitMs;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    while (QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr) &&
           info.ActiveProcesses > 0 && GetTickCount64() < end)
        Sleep(50);
}

}  // namespace

int main(int argc, char** argv) {
    g_start = Now();
    Options opt;
    if (!ParseCommandLine(argc, argv, opt)) return kExitUsage;
    if (opt.utf8) g_codePage = CP_UTF8;
    g_verbose = opt.verbose;

    std::string cmdline;
    if (!ReadWholeFile(opt.cmdline, cmdline)) return Usage("cannot read command line file '" + opt.cmdline + "'");
    while (!cmdline.empty() && (cmdline.back() == '\n' || cmdline.back() == '\r')) cmdline.pop_back();
    if (cmdline.empty()) return Usage("command line file '" + opt.cmdline + "' is empty");

    std::vector<Rule> rules;
    if (!opt.script.empty()) {
        std::string script, error;
        if (!ReadWholeFile(opt.script, script)) return Usage("cannot read script file '" + opt.script + "'");
        if (!ParseScript(script, rules, error)) return Usage(error);
    }
    if (!g_records.Open(opt.out)) return Usage("cannot create records file '" + opt.out + "'");

    // The child runs in a job so that it (and anything it starts) dies with the driver.
    HANDLE job = CreateKillOnCloseJob();
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof pi);
    std::vector<char> cmdBuf(cmdline.begin(), cmdline.end());
    cmdBuf.push_back('\0');
    Verbose("starting: %s", cmdline.c_str());
    if (!CreateProcessA(nullptr, cmdBuf.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        opt.cwd.empty() ? nullptr : opt.cwd.c_str(), &si, &pi)) {
        DWORD err = GetLastError();
        std::fprintf(stderr, "ui_driver: CreateProcess failed (error %lu) for: %s\n", err, cmdline.c_str());
        g_records.Write({"ERROR", "CreateProcess failed with error " + Int(err)});
        g_records.Close();
        return kExitStartFailed;
    }
    if (job && !AssignProcessToJobObject(job, pi.hProcess)) {
        Verbose("job assignment failed (%lu); continuing without a job", GetLastError());
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    g_child = pi.hProcess;
    g_remote.Reset(pi.hProcess, pi.dwProcessId, opt.inject);
    g_hardLimit = Now() + static_cast<ULONGLONG>(opt.timeout * 1000.0);

    int rc;
    if (WatchWindows(pi.dwProcessId, rules) == Flow::kChildExited) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        g_records.Write({"EXIT", std::to_string(static_cast<unsigned long>(code))});
        rc = kExitChildExited;
        // Programs the child handed work to (the browser it opened) belong to the job too:
        // give them a bounded while to finish before closing the job ends them.
        WaitForJobToEmpty(job, kJobDrainMs);
    } else {
        g_records.Write({"TIMEOUT"});
        g_hardLimit = Now() + kTimeoutGraceMs;
        for (HWND h : ChildTopWindows(pi.dwProcessId, false)) {
            if (RemainingMs() == 0) break;
            DumpWindow(h);
        }
        if (job) TerminateJobObject(job, 1);
        TerminateProcess(pi.hProcess, 1);
        if (WaitForSingleObject(pi.hProcess, kKillWaitMs) != WAIT_OBJECT_0)
            std::fprintf(stderr, "ui_driver: the program under test did not end after TerminateProcess\n");
        rc = kExitTimeout;
    }
    for (const Rule& rule : rules)
        if (!rule.used) Verbose("rule at line %d ('%s') was never used", rule.line, rule.caption.c_str());
    g_records.Close();
    CloseHandle(pi.hProcess);
    if (job) CloseHandle(job);
    return rc;
}
