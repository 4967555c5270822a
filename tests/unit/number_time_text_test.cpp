#include "support/number_time_text.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/clock.h"
#include "platform/fake/state.h"

TEST(IntToText, WritesPlainDecimal) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(7), "7");
    EXPECT_EQ(IntToText(-4), "-4");
    EXPECT_EQ(IntToText(2026), "2026");
    EXPECT_EQ(IntToText(INT_MAX), "2147483647");
    EXPECT_EQ(IntToText(INT_MIN), "-2147483648");
}

TEST(TimeText12, TurnsTwentyFourHourTimeIntoTwelveHourText) {
    const std::pair<const char*, const char*> cases[] = {
        {"20:56", "8:56pm"},
        {"12:00", "12:00pm"},
        {"12:05", "12:05pm"},
        {"00:00", "12:00am"},
        {"00:30", "12:30am"},
        {"24:10", "12:10am"},
        {"09:05", "9:05am"},
        {"11:20", "11:20am"},
        {"11:59", "11:59am"},
        {"13:01", "1:01pm"},
        {"21:45", "9:45pm"},
        {"8:05", "8:05am"},
        {"7", "7"},
        {"", ""},
        {"123:45", "12345"},
        {"30:00", "18:00pm"},
        {"12:34 \t", "12:34pm"},
        {"::", ""},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(TimeText12(input), expected) << "input: " << input;
}

TEST(MakeStamp, JoinsTheSixReadingsWithoutLeadingZeros) {
    fake::Reset();
    fake::Platform().clock = {2026, 12, 7, 20, 56, 5};
    EXPECT_EQ(MakeStamp(platform::LocalTime), "202612720565");
    fake::Platform().clock = {2027, 1, 3, 9, 4, 7};
    EXPECT_EQ(MakeStamp(platform::LocalTime), "202713947");
    fake::Platform().clock = {2027, 1, 1, 1, 1, 1};
    EXPECT_EQ(MakeStamp(platform::LocalTime).size(), 9u);
    fake::Platform().clock = {2026, 12, 31, 23, 59, 59};
    EXPECT_EQ(MakeStamp(platform::LocalTime).size(), 14u);
}

TEST(MakeStamp, TakesEachPartFromANewReading) {
    fake::Reset();
    // A second boundary passes between the minute and the second readings.
    auto& readings = fake::Platform().queuedReadings;
    for (int i = 0; i < 5; ++i) readings.push_back({2026, 12, 31, 23, 59, 59});
    readings.push_back({2027, 1, 1, 0, 0, 0});
    EXPECT_EQ(MakeStamp(platform::LocalTime), "2026123123590");
    EXPECT_TRUE(readings.empty());
}
