#include <gtest/gtest.h>

#include <cstdio>

#include "version.h"

// The file properties carry the version as four numbers, the windows and every import as
// text: a bump of one without the other would show two versions of one program.
TEST(Version, TheFourNumbersSpellTheVersionText) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d%02d%02d", VANTREL_VERSION_1, VANTREL_VERSION_2, VANTREL_VERSION_3,
                  VANTREL_VERSION_4);
    EXPECT_STREQ(text, VANTREL_VERSION_TEXT);
}
