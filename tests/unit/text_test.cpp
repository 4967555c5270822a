#include "support/text.h"

#include <gtest/gtest.h>

TEST(Text, TrimRightRemovesOnlyTrailingWhiteSpace) {
    EXPECT_EQ(text::TrimRight("  a b \t\r\n\v\f"), "  a b");
    EXPECT_EQ(text::TrimRight(" \t "), "");
    EXPECT_EQ(text::TrimRight("x\xA0"), "x\xA0");  // only the C library's space class
}

TEST(Text, ToUpperTouchesOnlyAsciiLetters) {
    EXPECT_EQ(text::ToUpper("c:\\Program Files\\tove\xe9"), "C:\\PROGRAM FILES\\TOVE\xe9");
}

TEST(Text, ReplaceAllScansOnceLeftToRight) {
    EXPECT_EQ(text::ReplaceAll("a b  c", " ", "%20"), "a%20b%20%20c");
    EXPECT_EQ(text::ReplaceAll("aaa", "aa", "a"), "aa");  // non-overlapping, never rescanned
    EXPECT_EQ(text::RemoveAll("X/PAUSE/PAUSE", "/PAUSE"), "X");
    EXPECT_EQ(text::RemoveChar("\"a\"b\"", '"'), "ab");
}
