#include "support/number_time_text.h"

#include <cstdlib>

#include "support/text.h"

std::string IntToText(int value) {
    return std::to_string(value);
}

std::string TimeText12(std::string time) {
    if (time.empty()) return time;
    const std::string t = text::TrimRight(text::RemoveChar(time, ':'));
    if (t.size() == 3) return t.substr(0, 1) + ":" + t.substr(1, 2) + "am";
    if (t.size() != 4) return t;

    const int hour = std::atoi(t.substr(0, 2).c_str());
    const std::string minutes = t.substr(2, 2);
    if (hour == 12) return t.substr(0, 2) + ":" + minutes + "pm";
    if (hour == 24 || hour == 0) return "12:" + minutes + "am";
    if (hour >= 1 && hour <= 11) return IntToText(hour) + ":" + minutes + "am";
    return IntToText(hour - 12) + ":" + minutes + "pm";
}

std::string MakeStamp(const std::function<ClockReading()>& readClock) {
    // Six readings, kept so that the servers get the identifier made exactly as they always
    // have: a second or day boundary between two readings shows in it. Each statement is
    // one reading, in the order year, month, day, hour, minute, second.
    std::string stamp = IntToText(readClock().year);
    stamp += IntToText(readClock().month);
    stamp += IntToText(readClock().day);
    stamp += IntToText(readClock().hour);
    stamp += IntToText(readClock().minute);
    stamp += IntToText(readClock().second);
    return stamp;
}
