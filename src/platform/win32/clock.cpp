#include <windows.h>

#include "platform/clock.h"

namespace platform {

namespace {

ClockReading ReadingOf(const SYSTEMTIME& now) {
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace

ClockReading LocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return ReadingOf(now);
}

ClockReading UtcTime() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return ReadingOf(now);
}

}  // namespace platform
