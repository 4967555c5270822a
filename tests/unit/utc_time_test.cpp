#include <gtest/gtest.h>

#include <string>

#include "support/utc_time.h"

TEST(UtcTimeTest, ReadingsAndTextsNameTheSameMoments) {
    // (UTC reading, seconds since 1970, text), across month ends, leap days and the edges.
    const struct {
        ClockReading reading;
        UtcSeconds seconds;
        const char* text;
    } moments[] = {
        {{1970, 1, 1, 0, 0, 0}, 0, "1970-01-01T00:00:00Z"},
        {{2026, 12, 8, 2, 56, 5}, 1796698565, "2026-12-08T02:56:05Z"},
        {{2027, 12, 9, 17, 11, 38}, 1828372298, "2027-12-09T17:11:38Z"},
        {{2028, 2, 29, 0, 0, 0}, 1835395200, "2028-02-29T00:00:00Z"},
        {{2028, 3, 1, 0, 0, 0}, 1835395200 + 86400, "2028-03-01T00:00:00Z"},
        {{9999, 12, 31, 23, 59, 59}, kLatestUtcSeconds, "9999-12-31T23:59:59Z"},
    };
    for (const auto& m : moments) {
        EXPECT_EQ(SecondsOf(m.reading), m.seconds) << m.text;
        EXPECT_EQ(UtcText(m.seconds), m.text);
        UtcSeconds parsed = -1;
        EXPECT_TRUE(ParseUtcText(m.text, parsed)) << m.text;
        EXPECT_EQ(parsed, m.seconds) << m.text;
    }
    // Moments no four-digit year after 1970 can name are written as the nearest one.
    EXPECT_EQ(UtcText(kLatestUtcSeconds + 1), "9999-12-31T23:59:59Z");
    EXPECT_EQ(UtcText(-1), "1970-01-01T00:00:00Z");
}

TEST(UtcTimeTest, OnlyARealMomentInTheFilesLayoutReads) {
    for (const char* text :
         {"", "2027-12-09T17:11:38", "2027-12-09 17:11:38Z", "2027-12-09T17:11:38z", "2027-12-9T17:11:38Z",
          " 2027-12-09T17:11:38Z", "2027-12-09T17:11:38Z ", "2027-13-01T00:00:00Z", "2027-00-01T00:00:00Z",
          "2027-02-29T00:00:00Z", "2027-04-31T00:00:00Z", "2027-12-00T00:00:00Z", "2027-12-09T24:00:00Z",
          "2027-12-09T23:60:00Z", "2027-12-09T23:59:60Z", "1969-12-31T23:59:59Z", "2O27-12-09T17:11:38Z",
          "+027-12-09T17:11:38Z"}) {
        UtcSeconds moment = 42;
        EXPECT_FALSE(ParseUtcText(text, moment)) << text;
        EXPECT_EQ(moment, 42) << text;
    }
}
