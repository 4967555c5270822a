// The local wall clock.
#pragma once

#include "support/clock_reading.h"

namespace platform {

using ::ClockReading;

// One reading of the local date and time.
ClockReading LocalTime();

}  // namespace platform
