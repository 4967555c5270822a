// Numbers and clock readings as the texts that the logs and the form body carry.
#pragma once

#include <functional>
#include <string>

#include "platform/clock_reading.h"

// Decimal digits, "-" in front of a negative value; no leading zeros, no grouping.
std::string IntToText(int value);

// A 24-hour "HH:MM" time as 12-hour text: "20:56" gives "8:56pm", "00:30" gives "12:30am".
// Texts that do not have three or four characters once the colons are gone come back
// without their colons and trailing white space.
std::string TimeText12(std::string time);

// Year, month, day, hour, minute and second without separators or leading zeros, each
// from a new call of `readClock`: 7 December 2026 at 20:56:05 gives "202612720565".
std::string MakeStamp(const std::function<ClockReading()>& readClock);
