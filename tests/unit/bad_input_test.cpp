// Files written by other programs, at their worst: each gives a defined outcome, never a
// crash, a hang or a write out of bounds.
#include <gtest/gtest.h>

#include "config/import_settings.h"
#include "config/route_table.h"
#include "import/quote_line_buffer.h"
#include "platform/fake/state.h"
#include "test_folder.h"

namespace {

class BadInputTest : public InTestFolder {
protected:
    std::string Encode(const std::string& bytes, bool records) {
        WriteBytes("export.txt", bytes);
        auto buffer = std::make_unique<QuoteLineBuffer>();
        buffer->filePath = "export.txt";
        EXPECT_EQ(buffer->LoadFile(), ExportFileLoad::kLoaded);
        return records ? buffer->EncodeLoadedRecords() : buffer->EncodeLoadedLines();
    }
};

}  // namespace

TEST_F(BadInputTest, ALineOfSeveralMegabytesIsSentWhole) {
    const std::string line(4 << 20, 'A');
    const std::string lines = Encode(line + "\n", false);
    EXPECT_EQ(lines.size(), line.size() + 4);  // "&R0=" and the line
    const std::string records = Encode("\"1\",\"" + line + "\"\n", true);
    EXPECT_EQ(records, "&R0=1,1,1," + line);
}

TEST_F(BadInputTest, ControlBytesAndBytesAbove127PassAsTheyAre) {
    // A zero byte is dropped by the reader; other bytes are not the encoder's to judge.
    const std::string line = std::string("a\0b\x01\x1f\x7f\x80\xe9\xff", 9);
    EXPECT_EQ(Encode(line + "\n", false), std::string("&R0=ab\x01\x1f\x7f\x80\xe9\xff"));
}

TEST_F(BadInputTest, LinesEndedByCarriageReturnsAloneGiveNoLines) {
    // Without a line feed the file has no complete line; the post carries its header only.
    EXPECT_EQ(Encode("A\rB\rC\r", false), "");
    EXPECT_EQ(Encode("\"1\",\"A\"\r\"2\",\"B\"\r", true), "");
}

TEST_F(BadInputTest, UnbalancedQuotesAreCutByTheRulesNotOverrun) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"1\n", ""},            // a key with nothing after it: record 1, no field
        {"\"1\",\"open\n", ""},   // a last value without its closing quote is dropped
        {"\"\"\"\"\",\"\n", ""},  // quotes only: all key
        {"\",\",\",\",\"\n", "&R0=0,1,1,&R1=0,1,2,"},
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(Encode(bytes, true), expected) << bytes;
}

TEST_F(BadInputTest, ASettingsFileOfAThousandValuesOrOneHugeValue) {
    std::string many;
    for (int i = 0; i < 1000; ++i) many += std::to_string(i) + ";\r\n";
    WriteBytes("Vantrel.dat", many);
    ImportSettings thousand;
    EXPECT_EQ(thousand.producerCode, "0");
    EXPECT_EQ(thousand.productName, "9");

    WriteBytes("Vantrel.dat", std::string(1 << 20, 'X') + ";\r\nITC;\r\n");
    ImportSettings huge;
    EXPECT_EQ(huge.producerCode.size(), 1u << 20);
    EXPECT_EQ(huge.serverAddress, "ITC");
    ASSERT_TRUE(huge.Save());  // written back whole: ten lines, nothing shifted
    EXPECT_EQ(ReadBytes("Vantrel.dat").size(), (1u << 20) + 3 + 30);
}

TEST_F(BadInputTest, ASiteRoutingFileOfThousandsOfValuesAndAVeryLongFirstValue) {
    std::string proute = std::string(100000, 'Q') + " DEVSITE;\r\n";
    for (int i = 2; i <= 5000; ++i) proute += "EXTRA ROW " + std::to_string(i) + ";\r\n";
    WriteBytes("PRoute.dat", proute);
    RouteTable table;
    EXPECT_EQ(table.SiteMode().size(), 100000u + 8);
    EXPECT_EQ(table.RawRow(200), "EXTRA ROW 200");  // values past 200 are left out
    EXPECT_EQ(table.FindServer("NO SUCH"), std::nullopt);
}
