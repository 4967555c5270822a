// Moments in UTC, for what the program remembers from one run to the next: a count of
// seconds, so that time zones and daylight saving cannot move them, and a text for files
// that a person can read and edit ("2027-12-09T17:11:38Z").
#pragma once

#include <string>

#include "platform/clock_reading.h"

// Whole seconds since 1970-01-01T00:00:00Z.
using UtcSeconds = long long;

// The last moment a four-digit year can name, 9999-12-31T23:59:59Z: later moments are
// written as this one.
constexpr UtcSeconds kLatestUtcSeconds = 253402300799;

// The moment of a UTC clock reading.
UtcSeconds SecondsOf(const ClockReading& utc);

// "YYYY-MM-DDTHH:MM:SSZ"; moments before 1970 or after kLatestUtcSeconds are written as
// the nearer of the two.
std::string UtcText(UtcSeconds moment);

// Reads exactly the text UtcText writes, with a real date and time of day. False, with
// `moment` unchanged, for anything else.
[[nodiscard]] bool ParseUtcText(const std::string& text, UtcSeconds& moment);
