#include <windows.h>

#include "platform/clock.h"

namespace platform {

namespace {

ClockReading Reading(const SYSTEMTIME& time) {
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

long long HundredNanoseconds(const SYSTEMTIME& time) {
    FILETIME fileTime;
    SystemTimeToFileTime(&time, &fileTime);
    return static_cast<long long>((static_cast<unsigned long long>(fileTime.dwHighDateTime) << 32) |
                                  fileTime.dwLowDateTime);
}

}  // namespace

ZonedClockReading LocalTimeWithOffset() {
    // The local time is worked out from this one UTC reading, so their difference is the
    // zone's offset at that very moment, daylight saving included; two separate readings
    // of the clock and the zone could straddle a change.
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    SYSTEMTIME local;
    // Without the zone's rules the UTC reading itself is still a true time.
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return {Reading(utc), 0};
    constexpr long long kPerMinute = 60LL * 1000 * 1000 * 10;
    return {Reading(local), static_cast<int>((HundredNanoseconds(local) - HundredNanoseconds(utc)) / kPerMinute)};
}

unsigned long long TickMilliseconds() {
    return GetTickCount64();
}

ClockReading LocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Reading(now);
}

ClockReading UtcTime() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return Reading(now);
}

}  // namespace platform
