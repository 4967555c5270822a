#include "sender.h"

#include "run_clock.h"

namespace ui_driver {

namespace {

constexpr DWORD kSendTimeoutMs = 1000;  // bound for each SendMessageTimeout

}  // namespace

bool Sender::Send(HWND h, UINT msg, WPARAM w, LPARAM l, DWORD_PTR* result) {
    DWORD tid = GetWindowThreadProcessId(h, nullptr);
    for (DWORD t : busyThreads_)
        if (t == tid) return false;
    DWORD bound = Bounded(kSendTimeoutMs);
    DWORD_PTR r = 0;
    SetLastError(0);
    ULONGLONG started = Now();
    LRESULT ok = bound ? SendMessageTimeoutW(h, msg, w, l, SMTO_BLOCK | SMTO_ABORTIFHUNG, bound, &r) : 0;
    if (!ok) {
        // Some messages simply fail across processes (Wine: WM_GETFONT); only a timeout, or a
        // thread Windows considers hung, makes the thread count as busy.
        DWORD err = GetLastError();
        ULONGLONG elapsed = Now() - started;
        bool timedOut = !bound || err == ERROR_TIMEOUT || elapsed + 50 >= bound;
        Verbose("send 0x%04X to thread %lu failed (error %lu, %llu ms)%s", msg, tid, err,
                static_cast<unsigned long long>(elapsed), timedOut ? "; thread treated as busy" : "");
        if (timedOut) busyThreads_.push_back(tid);
        return false;
    }
    if (result) *result = r;
    return true;
}

}  // namespace ui_driver
