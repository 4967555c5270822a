#include <gtest/gtest.h>

#include <string>

#include "import/tls_learning.h"

TEST(TlsLearningTest, AStrictTransportSecurityHeaderIsReadByItsGrammar) {
    const struct {
        const char* header;
        UtcSeconds maxAge;
    } valid[] = {
        {"max-age=31536000", 31536000},
        {"max-age=0", 0},
        {"MAX-AGE=5", 5},
        {"Max-Age=\"60\"", 60},
        {" max-age = \"60\" ; includeSubDomains", 60},
        {"includeSubDomains; max-age=7", 7},
        {"max-age=7;;", 7},
        {";max-age=7", 7},
        {"max-age=7; preload", 7},
        {"max-age=7; future-directive=\"a;b\"", 7},
        {"max-age=\t7\t", 7},
        {"max-age=\"\\7\"", 7},  // a quoted pair is its character
        {"max-age=007", 7},
        {"max-age=99999999999999999999999999", kLatestUtcSeconds},
    };
    for (const auto& v : valid) {
        UtcSeconds maxAge = -1;
        EXPECT_TRUE(StrictTransportMaxAge(v.header, maxAge)) << v.header;
        EXPECT_EQ(maxAge, v.maxAge) << v.header;
    }
    for (const char* malformed : {"",
                                  " ",
                                  "includeSubDomains",
                                  "max-age",
                                  "max-age=",
                                  "max-age=\"\"",
                                  "max-age=-1",
                                  "max-age=+1",
                                  "max-age=1.5",
                                  "max-age=1 2",
                                  "max-age=1x",
                                  "max-age=1, includeSubDomains",
                                  "max-age=1; max-age=2",
                                  "max-age=1; MAX-AGE=1",
                                  "includeSubDomains; includeSubDomains; max-age=1",
                                  "max-age=\"1",
                                  "max-age=\"1\"x",
                                  "max-age==1",
                                  "=1",
                                  "max age=1",
                                  "max-age=1; =x",
                                  "max-age=1; x=",
                                  "max-age=1; x=\"open",
                                  "max-age=1;\x01",
                                  "max-age=\"\\"}) {
        UtcSeconds maxAge = 42;
        EXPECT_FALSE(StrictTransportMaxAge(malformed, maxAge)) << malformed;
        EXPECT_EQ(maxAge, 42) << malformed;
    }
}
