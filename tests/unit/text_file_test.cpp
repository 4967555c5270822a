#include "support/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/fake/state.h"
#include "test_folder.h"

namespace {

class TextFileTest : public InTestFolder {
protected:
    // Reads `bytes` back with `separator` into eight slots pre-filled with "untouched".
    std::vector<std::string> Read(const std::string& bytes, char separator, std::size_t capacity = 8) {
        WriteBytes("in.txt", bytes);
        std::vector<std::string> values(capacity + 1, "untouched");
        EXPECT_TRUE(ReadFields("in.txt", separator, values.data(), capacity));
        return values;
    }
};

std::vector<std::string> Slots(std::vector<std::string> front, std::size_t total) {
    front.resize(total, "untouched");
    return front;
}

}  // namespace

TEST_F(TextFileTest, ReadFieldsSplitsAtTheSeparatorAndDropsTheRestOfALine) {
    struct Case {
        const char* bytes;
        char separator;
        std::vector<std::string> stored;
    };
    const Case cases[] = {
        {"A;B;\nC;D", ';', {"A", "B", "C"}},            // text after the last separator is dropped
        {"A;B\nC;", ';', {"A", "C"}},                   // B is dropped at the line feed
        {"a;b;", ';', {"a", "b"}},                      // several values on one line
        {"no separator\n", ';', {}},                    // a line without ";" gives nothing
        {"x;\r\ny;\r\n", ';', {"x", "y"}},              // CR LF reads as a line feed
        {"x;\ny;\n", ';', {"x", "y"}},                  // bare line feeds read the same
        {"a\rb;c\r\r\n", ';', {"a\rb"}},                // a CR not before a line feed is kept
        {"one\r\ntwo\r\nthree", '\n', {"one", "two"}},  // the last line lacks its line feed
        {"", ';', {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.bytes, c.separator), Slots(c.stored, 9)) << "bytes: " << c.bytes;
    }
}

TEST_F(TextFileTest, ReadFieldsIgnoresZeroBytes) {
    EXPECT_EQ(Read(std::string("n\0ul;\0;", 7), ';'), Slots({"nul", ""}, 9));
}

TEST_F(TextFileTest, ReadFieldsNeverStoresPastTheCallersArray) {
    std::string twelve;
    for (int i = 0; i < 12; ++i) twelve += std::to_string(i) + ";\r\n";
    EXPECT_EQ(Read(twelve, ';', 10), Slots({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}, 11));
}

TEST_F(TextFileTest, EveryNetworkOpenPausesEvenWhenItWorks) {
    WriteBytes("in.txt", "a;");
    std::string value;
    ASSERT_TRUE(ReadFields("in.txt", ';', &value, 1));
    EXPECT_EQ(fake::Pauses(), std::vector<int>{50});
}

TEST_F(TextFileTest, AMissingFileIsTriedAHundredTimesThenLeftAlone) {
    std::string values[2] = {"keep", "keep"};
    EXPECT_FALSE(ReadFields("missing.txt", ';', values, 2));
    EXPECT_EQ(values[0], "keep");
    EXPECT_EQ(fake::Pauses(), std::vector<int>(100, 50));
    EXPECT_TRUE(fake::Messages().empty());
}

TEST_F(TextFileTest, OpenFileReportsAFailureOnlyWhenAsked) {
    EXPECT_FALSE(OpenFile("missing.txt", OpenMode::kReadOnly, RetryPolicy::kNetwork, OpenFailure::kReport));
    EXPECT_FALSE(OpenFile("missing.txt", OpenMode::kReadOnly, RetryPolicy::kSingle, OpenFailure::kReport));
    EXPECT_FALSE(OpenFile("missing.txt", OpenMode::kReadOnly, RetryPolicy::kNetwork, OpenFailure::kHandBack));
    EXPECT_FALSE(OpenFile("missing.txt", OpenMode::kReadOnly, RetryPolicy::kSingle, OpenFailure::kHandBack));
    EXPECT_EQ(fake::Messages(),
              (std::vector<std::string>{"Network Open failed: missing.txt", "Single Open failed: missing.txt"}));
    // 100 tries each for the two network opens; the others try once without a pause.
    EXPECT_EQ(fake::Pauses().size(), 200u);
}

TEST_F(TextFileTest, OpenModesOpenByTheirLibraryModes) {
    WriteBytes("old.txt", "old");
    const struct {
        OpenMode mode;
        const char* libraryMode;
        bool opensAMissingFile;
        const char* afterWritingNew;  // the file's bytes once "new" was written through the mode
    } cases[] = {
        {OpenMode::kReadOnly, "r", false, "old"},      {OpenMode::kOverwrite, "w", true, "new"},
        {OpenMode::kAppend, "a", true, "oldnew"},      {OpenMode::kReadWrite, "r+", false, "new"},
        {OpenMode::kReadOverwrite, "w+", true, "new"}, {OpenMode::kReadAppend, "a+", true, "oldnew"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(LibraryMode(c.mode), c.libraryMode);
        EXPECT_EQ(static_cast<bool>(OpenFile("none.txt", c.mode, RetryPolicy::kSingle, OpenFailure::kHandBack)),
                  c.opensAMissingFile)
            << c.libraryMode;
        std::filesystem::remove("none.txt");
        WriteBytes("old.txt", "old");
        {
            // A read-only stream refuses the write, and the Windows C library then fails its close.
            OpenedFile file = OpenFile("old.txt", c.mode, RetryPolicy::kSingle, OpenFailure::kHandBack);
            ASSERT_TRUE(file) << c.libraryMode;
            std::fputs("new", file.get());
        }
        EXPECT_EQ(ReadBytes("old.txt"), c.afterWritingNew) << c.libraryMode;
    }
}

TEST_F(TextFileTest, FileExistsOpensWithoutRetryOrPause) {
    WriteBytes("here.txt", "");
    EXPECT_TRUE(FileExists("here.txt"));
    EXPECT_FALSE(FileExists("gone.txt"));
    EXPECT_TRUE(fake::Pauses().empty());
}

TEST_F(TextFileTest, WriteLinesWritesEachValueWithItsSeparatorAndCrLf) {
    const std::string values[] = {"x", "y"};
    EXPECT_EQ(WriteLines(values, "out.dat", ';', 2), 6u);
    EXPECT_EQ(ReadBytes("out.dat"), "x;\r\ny;\r\n");
    std::string back[2];
    ASSERT_TRUE(ReadFields("out.dat", ';', back, 2));
    EXPECT_EQ(back[0], "x");
    EXPECT_EQ(back[1], "y");
}

TEST_F(TextFileTest, WriteLinesWithALineFeedSeparatorWritesEveryLine) {
    std::string values[20] = {"a", "b", "c", "d"};
    EXPECT_EQ(WriteLines(values, "out.log", '\n', 20), 4u * 2 + 16);
    std::string expected = "a\r\nb\r\nc\r\nd\r\n";
    for (int i = 0; i < 16; ++i) expected += "\r\n";
    EXPECT_EQ(ReadBytes("out.log"), expected);
}

TEST_F(TextFileTest, AFileThatCannotBeSwappedIsWrittenInPlace) {
    // Another program holding the file open without delete sharing: the swap always fails.
    WriteBytes("Vantrel.dat", "a much longer old value;\r\n");
    fake::Platform().replaceFailures = 1000;
    const std::string values[] = {"new"};
    EXPECT_EQ(WriteLines(values, "Vantrel.dat", ';', 1), 5u);
    EXPECT_EQ(ReadBytes("Vantrel.dat"), "new;\r\n");
    EXPECT_FALSE(std::filesystem::exists("Vantrel.dat.tmp"));
    EXPECT_EQ(fake::Pauses().size(), 1u);  // the open of the new file only: no wait
}

TEST_F(TextFileTest, AFileThatCanBeNeitherSwappedNorOverwrittenIsLeftAsItIs) {
    // A folder in the file's place cannot be opened for writing either.
    std::filesystem::create_directory("Vantrel.dat");
    fake::Platform().replaceFailures = 1000;
    const std::string values[] = {"new"};
    EXPECT_EQ(WriteLines(values, "Vantrel.dat", ';', 1), 0u);
    EXPECT_TRUE(std::filesystem::is_directory("Vantrel.dat"));
    EXPECT_FALSE(std::filesystem::exists("Vantrel.dat.tmp"));
    EXPECT_EQ(fake::Pauses().size(), 1u + 100);  // the open, then every failed round
    EXPECT_TRUE(fake::Messages().empty());
}

TEST_F(TextFileTest, AReplaceThatWorksOnARetryWritesTheNewFile) {
    WriteBytes("Vantrel.dat", "old;\r\n");
    fake::Platform().replaceFailures = 3;
    const std::string values[] = {"new"};
    EXPECT_EQ(WriteLines(values, "Vantrel.dat", ';', 1), 5u);
    EXPECT_EQ(ReadBytes("Vantrel.dat"), "new;\r\n");
}
