#include "config/import_settings.h"

#include <gtest/gtest.h>

#include "platform/fake/state.h"
#include "test_folder.h"

using ImportSettingsTest = InTestFolder;

namespace {
std::string TenLines(const std::vector<std::string>& values) {
    std::string bytes;
    for (const std::string& value : values) bytes += value + ";\r\n";
    return bytes;
}
}  // namespace

TEST_F(ImportSettingsTest, AMissingFileGivesEmptyFieldsWithoutDelay) {
    ImportSettings settings;
    for (int i = 0; i < ImportSettings::kValueCount; ++i) EXPECT_EQ(settings.RawValue(i), "");
    EXPECT_EQ(settings.raterCode, "");
    EXPECT_TRUE(fake::Pauses().empty());
}

TEST_F(ImportSettingsTest, LoadsTheTenValuesIntoTheNamedFields) {
    WriteBytes("Vantrel.dat",
               TenLines({"P1", "srv", "post.asp", "start.asp", "Acme", "C:\\QQ", "C:\\VT", "Y", "ITC", "Auto Plus"}));
    ImportSettings s;
    EXPECT_EQ(s.producerCode, "P1");
    EXPECT_EQ(s.serverAddress, "srv");
    EXPECT_EQ(s.serverPostFile, "post.asp");
    EXPECT_EQ(s.krnLaunchFile, "start.asp");
    EXPECT_EQ(s.company, "Acme");
    EXPECT_EQ(s.qqPath, "C:\\QQ");
    EXPECT_EQ(s.vantrelFolder, "C:\\VT");
    EXPECT_EQ(s.useItcZavezuda, "Y");
    EXPECT_EQ(s.raterCode, "ITC");
    EXPECT_EQ(s.productName, "Auto Plus");
}

TEST_F(ImportSettingsTest, ReadingIsLenient) {
    // Two values on one line, bare line feeds, a tenth value without its ";", two more.
    WriteBytes("Vantrel.dat", ";\n;\n;\n;\n;\nITC;MC;\n;\n;\nlast\n");
    ImportSettings s;
    EXPECT_EQ(s.qqPath, "ITC");
    EXPECT_EQ(s.vantrelFolder, "MC");
    EXPECT_EQ(s.productName, "");

    WriteBytes("Vantrel.dat", TenLines({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    ImportSettings twelve;
    EXPECT_EQ(twelve.productName, "10");
    ASSERT_TRUE(twelve.Save());
    EXPECT_EQ(ReadBytes("Vantrel.dat"), TenLines({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
}

TEST_F(ImportSettingsTest, SavesTenLinesByteForByte) {
    ImportSettings s;
    s.useItcZavezuda = "N";
    s.raterCode = "ITC";
    ASSERT_TRUE(s.Save());
    const std::string bytes = ReadBytes("Vantrel.dat");
    EXPECT_EQ(bytes, ";\r\n;\r\n;\r\n;\r\n;\r\n;\r\n;\r\nN;\r\nITC;\r\n;\r\n");
    EXPECT_EQ(bytes.size(), 34u);
    ImportSettings again;
    EXPECT_EQ(again.raterCode, "ITC");
    EXPECT_EQ(again.useItcZavezuda, "N");
}

TEST_F(ImportSettingsTest, RecordsAreIndependentCopies) {
    ImportSettings first;
    ImportSettings second;
    first.raterCode = "QQ";
    ASSERT_TRUE(first.Save());
    EXPECT_EQ(second.raterCode, "");
    EXPECT_EQ(ImportSettings().raterCode, "QQ");
}

TEST_F(ImportSettingsTest, AFailedSaveReturnsFalseWithoutAMessage) {
    std::filesystem::create_directory("Vantrel.dat");  // nothing can be written there
    ImportSettings s;
    s.raterCode = "QQ";
    fake::Platform().replaceFailures = 1000;
    EXPECT_FALSE(s.Save());
    EXPECT_EQ(s.raterCode, "QQ");
    EXPECT_TRUE(std::filesystem::is_directory("Vantrel.dat"));
    EXPECT_TRUE(fake::Messages().empty());
}

// The same reader and writer serve the file and its bytes in memory: each text loads the
// same values both ways, and SaveText gives the bytes Save writes.
TEST_F(ImportSettingsTest, SettingsBytesInMemoryLoadAndSaveAsTheFileDoes) {
    const std::string texts[] = {"", ";\n;\n;\n;\n;\nITC;MC;\n;\n;\nlast\n",
                                 std::string("a\0b;c\r\r\n d ;\r\n", 14) + std::string(20, ';')};
    for (const std::string& text : texts) {
        WriteBytes("Vantrel.dat", text);
        ImportSettings fromFile;
        ImportSettings fromText;
        fromText.LoadText(text);
        for (int i = 0; i < ImportSettings::kValueCount; ++i) EXPECT_EQ(fromText.RawValue(i), fromFile.RawValue(i));
        EXPECT_EQ(fromText.productName, fromFile.productName);
        fromText.company = fromFile.company = "Harbor; Agency";
        const std::string saved = fromText.SaveText();
        ASSERT_TRUE(fromFile.Save());
        EXPECT_EQ(saved, ReadBytes("Vantrel.dat"));
    }
}
