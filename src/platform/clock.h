// The wall clock: local time for what the agent reads, UTC for what must not move with the
// time zone or daylight saving.
#pragma once

#include "platform/clock_reading.h"

namespace platform {

using ::ClockReading;

// One reading of the local date and time with its distance from UTC, both from one reading
// of the system clock, so they agree across a change to or from daylight saving time.
ZonedClockReading LocalTimeWithOffset();

// Milliseconds from an arbitrary start, only ever growing: a change of the wall clock does
// not move it, so the difference of two ticks is the time that passed between them.
unsigned long long TickMilliseconds();

// One reading of the local date and time.
ClockReading LocalTime();

// One reading of the date and time in UTC.
ClockReading UtcTime();

}  // namespace platform
