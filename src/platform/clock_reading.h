// One reading of the wall clock, local or UTC, as the platform's clock gives it.
#pragma once

struct ClockReading {
    int year = 0;    // four digits
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-59
};

// A reading of the local wall clock with how far it stood from UTC at that moment: local
// time is UTC plus utcOffsetMinutes (negative west of Greenwich).
struct ZonedClockReading {
    ClockReading local;
    int utcOffsetMinutes = 0;
};
