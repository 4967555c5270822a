// The wall clock: local time for what the agent reads, UTC for what must not move with the
// time zone or daylight saving.
#pragma once

#include "support/clock_reading.h"

namespace platform {

using ::ClockReading;

// One reading of the local date and time.
ClockReading LocalTime();

// One reading of the date and time in UTC.
ClockReading UtcTime();

}  // namespace platform
