// The run's clock and the driver's verbose log. Every wait of the driver is bounded by the
// hard limit: the deadline given with --timeout, then the grace period of the final dump.
#pragma once

#include "windows_api.h"

namespace ui_driver {

// Tick count when the driver started; verbose lines give the time since then.
extern ULONGLONG g_start;
// No wait may go past this tick count.
extern ULONGLONG g_hardLimit;
// --verbose: Verbose writes to stderr.
extern bool g_verbose;

ULONGLONG Now();

// Milliseconds left until the hard limit, 0 once it has passed.
DWORD RemainingMs();

// `ms`, cut short at the hard limit.
DWORD Bounded(DWORD ms);

// A printf-style line on stderr with the time since start and the tick count, when --verbose.
void Verbose(const char* fmt, ...);

}  // namespace ui_driver
