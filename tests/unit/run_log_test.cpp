#include "support/run_log.h"

#include <gtest/gtest.h>

#include "test_folder.h"

using RunLogTest = InTestFolder;

TEST_F(RunLogTest, AnEmptyLogSavesTwentyEmptyLines) {
    RunLog log;
    EXPECT_TRUE(log.Save("vantrel.log"));
    std::string expected;
    for (int i = 0; i < 20; ++i) expected += "\r\n";
    EXPECT_EQ(ReadBytes("vantrel.log"), expected);
}

TEST_F(RunLogTest, LinesFillTheFirstFreeSlotAndAnEmptyLineLeavesItFree) {
    RunLog log;
    EXPECT_EQ(log.AddLine("first"), 0);
    EXPECT_EQ(log.AddLine(""), 1);
    EXPECT_EQ(log.AddLine("second"), 1);  // the empty line's slot was still free
    EXPECT_EQ(log.FirstFreeSlot(), 2);
}

TEST_F(RunLogTest, AFullLogDropsFurtherLines) {
    RunLog log;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(log.AddLine("line " + std::to_string(i)), i);
    EXPECT_EQ(log.AddLine("one too many"), RunLog::kSlots);
    EXPECT_EQ(log.Line(19), "line 19");
}

TEST_F(RunLogTest, ASecondSaveReplacesTheFirst) {
    RunLog first;
    first.AddLine("first start");
    first.AddLine("more");
    ASSERT_TRUE(first.Save("vantrel.log"));
    RunLog second;
    second.AddLine("second start");
    ASSERT_TRUE(second.Save("vantrel.log"));
    std::string expected = "second start\r\n";
    for (int i = 0; i < 19; ++i) expected += "\r\n";
    EXPECT_EQ(ReadBytes("vantrel.log"), expected);
}
