#include "run_clock.h"

#include <cstdarg>
#include <cstdio>

namespace ui_driver {

ULONGLONG g_start = 0;
ULONGLONG g_hardLimit = 0;
bool g_verbose = false;

ULONGLONG Now() {
    return GetTickCount64();
}

DWORD RemainingMs() {
    ULONGLONG now = Now();
    if (now >= g_hardLimit) return 0;
    ULONGLONG left = g_hardLimit - now;
    return left > 0x7FFFFFFFull ? 0x7FFFFFFF : static_cast<DWORD>(left);
}

DWORD Bounded(DWORD ms) {
    DWORD left = RemainingMs();
    return ms < left ? ms : left;
}

void Verbose(const char* fmt, ...) {
    if (!g_verbose) return;
    ULONGLONG now = Now();
    std::fprintf(stderr, "[ui_driver %6llu ms, tick %llu] ", static_cast<unsigned long long>(now - g_start),
                 static_cast<unsigned long long>(now));
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(stderr, fmt, ap);
    va_end(ap);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace ui_driver
