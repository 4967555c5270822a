#include "platform/clock.h"

#include "platform/fake/state.h"

namespace platform {

ZonedClockReading LocalTimeWithOffset() {
    return {LocalTime(), fake::Platform().utcOffsetMinutes};
}

unsigned long long TickMilliseconds() {
    return fake::Platform().tickMilliseconds;
}

ClockReading LocalTime() {
    auto& queued = fake::Platform().queuedReadings;
    if (queued.empty()) return fake::Platform().clock;
    const ClockReading reading = queued.front();
    queued.pop_front();
    return reading;
}

ClockReading UtcTime() {
    return fake::Platform().utcClock;
}

}  // namespace platform
