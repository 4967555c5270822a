#include "import/import_history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/fake/state.h"
#include "test_folder.h"

namespace {

using Result = ImportOutcome::Result;

const ZonedClockReading kAt{{2026, 12, 9, 14, 3, 7}, -5 * 60};

ImportOutcome Outcome(Result result, PostRoute route, ServerAnswer answer, const std::string& error = "") {
    ImportOutcome outcome;
    outcome.result = result;
    outcome.importId = "20261291437";
    outcome.serverHost = "quotes.example";
    outcome.route = route;
    outcome.answer = std::move(answer);
    outcome.errorDescription = error;
    outcome.answerMs = 1234;
    return outcome;
}

std::string Line(const ImportOutcome& outcome, const ZonedClockReading& at = kAt) {
    return ImportHistoryLine(at, "FSC", "E2E AUTO", outcome);
}

const char kStart[] = "2026-12-09T14:03:07-05:00\t20261291437\tFSC\tE2E AUTO\t";

}  // namespace

TEST(ImportHistoryLine, NamesEveryOutcomeWithItsOwnFields) {
    struct Case {
        ImportOutcome outcome;
        std::string fields;  // after the product name
    };
    ImportOutcome missing = Outcome(Result::kTaken, PostRoute::kPlain, {200, "OK", ""});
    missing.exportFileMissing = true;
    ImportOutcome notSent;
    notSent.result = Result::kNotSent;
    notSent.importId = "20261291437";
    notSent.answerMs = 99;  // never measured for a post that was not made

    const Case cases[] = {
        {Outcome(Result::kTaken, PostRoute::kPlain, {200, "OK", ""}), "quotes.example\thttp\ttaken\t200 OK\t\t\t1234"},
        {Outcome(Result::kTaken, PostRoute::kTls, {204, "No Content", ""}),
         "quotes.example\thttps\ttaken\t204 No Content\t\t\t1234"},
        // A page of the same server: taken, and its Location is of no interest.
        {Outcome(Result::kTaken, PostRoute::kPlain, {303, "See Other", "/krn/done.asp"}),
         "quotes.example\thttp\ttaken\t303 See Other\t\t\t1234"},
        {Outcome(Result::kTaken, PostRoute::kMovedToTls, {200, "OK", ""}),
         "quotes.example\thttp->https\ttaken\t200 OK\t\t\t1234"},
        {Outcome(Result::kTaken, PostRoute::kKnownTls, {200, "OK", ""}),
         "quotes.example\thttps (known)\ttaken\t200 OK\t\t\t1234"},
        {Outcome(Result::kRefused, PostRoute::kPlain, {503, "", ""}), "quotes.example\thttp\trefused\t503\t\t\t1234"},
        {Outcome(Result::kRefused, PostRoute::kPlain, {302, "Found", "http://login.test/sign-in"}),
         "quotes.example\thttp\trefused\t302 Found\thttp://login.test/sign-in\t\t1234"},
        {Outcome(Result::kRefused, PostRoute::kPlain, {407, "Proxy Authentication Required", ""}),
         "quotes.example\thttp\trefused\t407 Proxy Authentication Required\t\t\t1234"},
        {Outcome(Result::kInternetError, PostRoute::kMovedToTls, {}, "Bad certificate"),
         "quotes.example\thttp->https\tinternet-error\t\t\tBad certificate\t1234"},
        // Wine has no text for some errors: the field stays empty, the word says enough.
        {Outcome(Result::kInternetError, PostRoute::kPlain, {}, ""),
         "quotes.example\thttp\tinternet-error\t\t\t\t1234"},
        {Outcome(Result::kSendFailed, PostRoute::kPlain, {}), "quotes.example\thttp\tsend-failed\t\t\t\t1234"},
        {notSent, "\t\tnot-sent\t\t\t\t"},
        // The post went without the quote; what the server made of it follows the word.
        {missing, "quotes.example\thttp\tfile-missing\t200 OK\t\t\t1234"},
    };
    for (const Case& c : cases) EXPECT_EQ(Line(c.outcome), kStart + c.fields);
}

TEST(ImportHistoryLine, GivesTheLocalTimeWithItsOffsetFromUtc) {
    const ImportOutcome taken = Outcome(Result::kTaken, PostRoute::kPlain, {200, "OK", ""});
    const std::pair<ZonedClockReading, std::string> cases[] = {
        {{{2026, 1, 2, 3, 4, 5}, 0}, "2026-01-02T03:04:05+00:00"},
        {{{2026, 7, 31, 23, 59, 59}, 5 * 60 + 30}, "2026-07-31T23:59:59+05:30"},
        {{{2026, 11, 1, 0, 0, 0}, -(3 * 60 + 30)}, "2026-11-01T00:00:00-03:30"},
        {{{2026, 12, 9, 14, 3, 7}, 14 * 60}, "2026-12-09T14:03:07+14:00"},
    };
    for (const auto& [at, text] : cases) EXPECT_EQ(Line(taken, at).substr(0, text.size() + 1), text + "\t");
}

TEST(ImportHistoryLine, KeepsEveryFieldOnOneLineOfItsOwn) {
    ImportOutcome refused = Outcome(Result::kRefused, PostRoute::kPlain, {301, "Moved\tfor\rgood\n", "https://a\tb/"});
    EXPECT_EQ(Line(refused),
              std::string(kStart) + "quotes.example\thttp\trefused\t301 Moved for good \thttps://a b/\t\t1234");

    ImportOutcome failed = Outcome(Result::kInternetError, PostRoute::kPlain, {}, "The request\r\nhas timed out.\r\n");
    failed.serverHost = "No Server Path Found MY\tPRODUCT";
    EXPECT_EQ(ImportHistoryLine(kAt, "Q\nQ", "MY\tPRODUCT", failed),
              "2026-12-09T14:03:07-05:00\t20261291437\tQ Q\tMY PRODUCT\tNo Server Path Found MY PRODUCT\thttp\t"
              "internet-error\t\t\tThe request  has timed out.  \t1234");
}

namespace {

class ImportHistoryFileTest : public InTestFolder {};

}  // namespace

TEST_F(ImportHistoryFileTest, LinesAreAppendedWithCrLf) {
    EXPECT_TRUE(AppendImportHistory("first\tline"));
    EXPECT_TRUE(AppendImportHistory("second"));
    EXPECT_EQ(ReadBytes(kImportHistoryFile), "first\tline\r\nsecond\r\n");
    EXPECT_FALSE(std::filesystem::exists(kOldImportHistoryFile));
}

TEST_F(ImportHistoryFileTest, ALineThatWouldPassOneMegabyteStartsANewFileAndKeepsOneOld) {
    const std::string line = "2026-12-09T14:03:07-05:00\tand so on";
    const std::size_t lineBytes = line.size() + 2;

    // Exactly full: the line still fits.
    const std::string nearlyFull(kImportHistoryLimit - lineBytes, 'x');
    WriteBytes(kImportHistoryFile, nearlyFull);
    EXPECT_TRUE(AppendImportHistory(line));
    EXPECT_EQ(std::filesystem::file_size(kImportHistoryFile), kImportHistoryLimit);
    EXPECT_FALSE(std::filesystem::exists(kOldImportHistoryFile));

    // One byte more would pass it: the full file becomes the old one, over the one before.
    WriteBytes(kOldImportHistoryFile, "the generation before");
    EXPECT_TRUE(AppendImportHistory(line));
    EXPECT_EQ(ReadBytes(kOldImportHistoryFile), nearlyFull + line + "\r\n");
    EXPECT_EQ(ReadBytes(kImportHistoryFile), line + "\r\n");
}

TEST_F(ImportHistoryFileTest, AHistoryThatCannotBeWrittenIsLeftAsItIsWithoutAWordOrAWait) {
    // Something that cannot be opened as a file where the history belongs.
    std::filesystem::create_directory(kImportHistoryFile);
    EXPECT_FALSE(AppendImportHistory("lost"));
    EXPECT_TRUE(std::filesystem::is_directory(kImportHistoryFile));
    std::filesystem::remove(kImportHistoryFile);

    // A full history whose rollover fails (the old one held by another program) is not
    // written past the limit.
    const std::string full(kImportHistoryLimit, 'x');
    WriteBytes(kImportHistoryFile, full);
    WriteBytes(kOldImportHistoryFile, "held");
    fake::Platform().replaceFailures = 1;
    EXPECT_FALSE(AppendImportHistory("lost"));
    EXPECT_EQ(ReadBytes(kImportHistoryFile), full);
    EXPECT_EQ(ReadBytes(kOldImportHistoryFile), "held");

    EXPECT_TRUE(fake::Messages().empty());
    EXPECT_TRUE(fake::Pauses().empty());
}
