#include "support/utc_time.h"

#include <cstdio>

namespace {

constexpr UtcSeconds kSecondsPerDay = 86400;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, counted in eras of
// 400 years that start on 1 March, so the leap day ends a year instead of falling inside.
long long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The reverse of DaysFromCivil, for days from 1970 on.
ClockReading CivilFromDays(long long days) {
    days += 719468;
    const long long era = days / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
    ClockReading date;
    date.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    date.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

// The number of `digits` digits at `at`, or -1 when one of them is not a digit.
int DigitsAt(const std::string& text, std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

UtcSeconds SecondsOf(const ClockReading& utc) {
    return DaysFromCivil(utc.year, utc.month, utc.day) * kSecondsPerDay + utc.hour * 3600 + utc.minute * 60 +
           utc.second;
}

std::string UtcText(UtcSeconds moment) {
    if (moment < 0) moment = 0;
    if (moment > kLatestUtcSeconds) moment = kLatestUtcSeconds;
    ClockReading t = CivilFromDays(moment / kSecondsPerDay);
    const UtcSeconds secondOfDay = moment % kSecondsPerDay;
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    char text[64];  // room for any int, though the fields are in range
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

bool ParseUtcText(const std::string& text, UtcSeconds& moment) {
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z') {
        return false;
    }
    ClockReading t;
    t.year = DigitsAt(text, 0, 4);
    t.month = DigitsAt(text, 5, 2);
    t.day = DigitsAt(text, 8, 2);
    t.hour = DigitsAt(text, 11, 2);
    t.minute = DigitsAt(text, 14, 2);
    t.second = DigitsAt(text, 17, 2);
    if (t.year < 1970 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
        return false;
    }
    moment = SecondsOf(t);
    return true;
}
