#include "import/run_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <utility>

#include "app/import_inputs.h"
#include "config/route_row.h"
#include "fake_log.h"
#include "import/hand_off.h"
#include "import/import_history.h"
#include "platform/clock.h"
#include "platform/fake/state.h"
#include "test_folder.h"

namespace {

using Result = ImportOutcome::Result;
using fake::Event;
using fake::EventKind;

// A route row in the fixed-width layout.
std::string RouteRow(const std::string& product, const std::string& server, const std::string& browserPath) {
    return route_row::Row("TEST MUTUAL", "QQ", "IL", product, server, browserPath);
}

// Stands in for the status window: records what the import shows, in order ("progress
// <text>", "version <text>", "notice <text>", and "password" for each password request),
// and answers each password request with the next of `passwordReplies` (none left: the
// agent cancels), the agent taking `answerMilliseconds` of the fake tick to answer.
class RecordingProgress : public ImportProgress {
public:
    void ShowProgress(const std::string& text) override { shown.push_back("progress " + text); }
    void ShowVersion(const std::string& text) override { shown.push_back("version " + text); }
    void ShowNotice(const std::string& text) override { shown.push_back("notice " + text); }
    bool AskForPassword(platform::FormRequest&) override {
        shown.push_back("password");
        fake::Platform().tickMilliseconds += answerMilliseconds;
        if (passwordReplies.empty()) return false;
        const bool given = passwordReplies.front();
        passwordReplies.pop_front();
        return given;
    }

    // The progress line's texts alone.
    std::vector<std::string> ProgressTexts() const {
        std::vector<std::string> texts;
        for (const std::string& entry : shown) {
            if (entry.rfind("progress ", 0) == 0) texts.push_back(entry.substr(9));
        }
        return texts;
    }
    int PasswordRequests() const { return static_cast<int>(std::count(shown.begin(), shown.end(), "password")); }

    std::vector<std::string> shown;
    std::deque<bool> passwordReplies;
    unsigned long long answerMilliseconds = 0;
};

class RunImportTest : public InTestFolder {
protected:
    void SetUp() override {
        InTestFolder::SetUp();
        // Extra rows come from value 93 of "PRoute.dat" on.
        std::string proute = "LIVE;\r\n";
        for (int i = 2; i <= 92; ++i) proute += ";\r\n";
        proute += RouteRow("TEST AUTO", "http://127.0.0.1", "KRN") + ";\r\n";
        proute += RouteRow("SECURE AUTO", "https://secure.test", "UNDEFINED") + ";\r\n";
        proute += RouteRow("ODD AUTO", "HTTPS://odd.test", "UNDEFINED") + ";\r\n";
        WriteBytes("PRoute.dat", proute);
        Configure("TEST AUTO");
        WriteBytes("quote.txt", "ABC 1\n\nX&Y 50%\nO'NEIL #2  \nTAIL");
    }

    void Configure(const std::string& product) {
        WriteBytes("Vantrel.dat",
                   ";\r\n;\r\nkrn/import.asp;\r\nkrn/start.asp;\r\n;\r\n;\r\n;\r\nN;\r\nQQ;\r\n" + product + ";\r\n");
    }

    // Reads what the import needs, as start-up does, and runs the import alone; the fake's
    // log and what the progress shows are then this import's.
    ImportOutcome::Result Import(const std::string& raterCode, const std::string& file = "quote.txt") {
        const RunRater rater = RaterOf(raterCode);
        ImportInputs inputs = ReadImportInputs(rater);
        fake::Platform().events.clear();
        progress_.shown.clear();
        outcome_ =
            RunImport({"2.101020", rater, file, *inputs.settings, *inputs.routes, platform::LocalTime}, progress_);
        return outcome_.result;
    }

    static RunRater RaterOf(const std::string& code) {
        const Rater* rater = FindRater(code);
        return rater ? RunRater::Of(*rater) : RunRater();
    }

    const platform::FormPost& ThePost() {
        EXPECT_EQ(fake::Platform().posts.size(), 1u);
        return fake::Platform().posts.at(0);
    }

    std::vector<std::string> ProgressTexts() const { return progress_.ProgressTexts(); }

    // "export.log" names `host` and `browserPath`, and its startup link on `site` is where
    // the agent is to be handed over.
    void ExpectLoggedAndHandedOver(const std::string& host, const std::string& browserPath, const std::string& site) {
        const std::string link = site + "/krn/start.asp?externalQuoteImportID=202612720565";
        const std::string log = ReadBytes("export.log");
        EXPECT_NE(log.find("\r\nServer = " + host + " KRN Browser Path = " + browserPath + "\r\n"), std::string::npos);
        EXPECT_NE(log.find("\r\nKRN Startup link = " + link + "\r\n"), std::string::npos);
        EXPECT_EQ(outcome_.handOff.startupLink, link);
        EXPECT_EQ(outcome_.handOff.browserPath, browserPath);
    }

    RecordingProgress progress_;
    ImportOutcome outcome_;
};

const char kHeaderPart[] =
    "source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=202612720565&fileGenName=202612720565.sti";

platform::PostResult Answer(int status, const std::string& reason, const std::string& location = "") {
    return {platform::PostResult::Outcome::kAnswered, "", status, reason, location};
}

platform::PostResult InternetError(const std::string& description) {
    return {platform::PostResult::Outcome::kInternetError, description, 0, "", ""};
}

}  // namespace

TEST_F(RunImportTest, PostsTheFormWritesTheExportLogAndLeavesBoxesAndTheHandOffToItsCaller) {
    EXPECT_EQ(Import("QQ"), Result::kTaken);

    const platform::FormPost& post = ThePost();
    EXPECT_EQ(post.userAgent, "Vantrel");
    EXPECT_EQ(post.host, "127.0.0.1");
    EXPECT_EQ(post.objectName, "krn/import.asp");
    EXPECT_EQ(post.headerLine, "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(post.body, std::string(kHeaderPart) + "&R0=ABC%201&R2=XY%2050&R3=ONEIL%202");

    EXPECT_EQ(ReadBytes("export.log"),
              "QQ data export [12/07/2026 8:56pm]\r\n"
              "Server = 127.0.0.1 KRN Browser Path = KRN\r\n"
              "Web Post File = krn/import.asp\r\n"
              "KRN Startup link = http://127.0.0.1/krn/start.asp?externalQuoteImportID=202612720565\r\n"
              "source=Vantrel20\r\nxversion=2.101020\r\nrater=QQ\r\nexternalQuoteImportID=202612720565\r\n"
              "fileGenName=202612720565.sti\r\nR0=ABC 1\r\nR2=XY 50\r\nR3=ONEIL 2\r\n"
              "\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(outcome_.generatedFileName, "202612720565.sti");
    EXPECT_EQ(outcome_.importId, "202612720565");
    EXPECT_EQ(progress_.shown,
              (std::vector<std::string>{"progress Writing Export Log...", "version 2.101020",
                                        "progress Connecting to 127.0.0.1", "progress Sending Data to 127.0.0.1",
                                        "progress Import Complete! Opening Web Site 127.0.0.1"}));
    EXPECT_TRUE(outcome_.Messages().empty());
    EXPECT_EQ(outcome_.handOff.browserPath, "KRN");
    EXPECT_EQ(outcome_.handOff.importId, "202612720565");
    EXPECT_EQ(outcome_.handOff.startupLink, "http://127.0.0.1/krn/start.asp?externalQuoteImportID=202612720565");

    // Nothing was shown in a box, waited for or opened: that is the caller's part.
    EXPECT_TRUE(fake::Messages().empty());
    const std::vector<int> pauses = fake::Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), kHandOffWaitMs), 0);
    EXPECT_TRUE(fake::Platform().shellRequests.empty());
}

TEST_F(RunImportTest, AnInternetErrorIsToldInThreeMessages) {
    fake::Platform().postResult = InternetError("The request has timed out.");
    EXPECT_EQ(Import("QQ"), Result::kInternetError);
    EXPECT_EQ(outcome_.Messages(),
              (std::vector<std::string>{"An HTTP Exception has occured. Click OK to see the error message",
                                        "The request has timed out.", "Server: 127.0.0.1"}));
    EXPECT_TRUE(std::filesystem::exists("export.log"));
    EXPECT_EQ(ProgressTexts().back(), "Sending Data to 127.0.0.1");

    fake::Platform().postFailsBeforeSend = true;
    Import("QQ");
    EXPECT_EQ(ProgressTexts().back(), "Connecting to 127.0.0.1");
}

TEST_F(RunImportTest, ASendThatOnlyReportsFailureIsToldInOneMessage) {
    fake::Platform().postResult = {platform::PostResult::Outcome::kSendFailed, "", 0, "", ""};
    EXPECT_EQ(Import("QQ"), Result::kSendFailed);
    EXPECT_EQ(outcome_.Messages(), std::vector<std::string>{"Server path=127.0.0.1\nThe SendRequest() failed"});
}

TEST_F(RunImportTest, AnEmptyRaterCodeTouchesNothing) {
    EXPECT_EQ(Import(""), Result::kNothingToImport);
    EXPECT_TRUE(fake::Platform().posts.empty());
    EXPECT_FALSE(std::filesystem::exists("export.log"));
    EXPECT_FALSE(std::filesystem::exists(kImportHistoryFile));
    EXPECT_TRUE(progress_.shown.empty());
    EXPECT_TRUE(outcome_.Messages().empty());
    EXPECT_EQ(outcome_.importId, "202612720565");  // made before the rater test all the same
}

TEST_F(RunImportTest, OnlyFscUsesTheRecordEncoding) {
    WriteBytes("quote.txt", "\"1\",\"SMITH\",\"JOHN\"\n");
    Import("FSC");
    EXPECT_NE(ThePost().body.find("&R0=1,1,1,SMITH&R1=1,1,2,JOHN"), std::string::npos);
    fake::Platform().posts.clear();
    Import("ITC");
    EXPECT_NE(ThePost().body.find("&R0=\"1\",\"SMITH\",\"JOHN\""), std::string::npos);
}

TEST_F(RunImportTest, AMissingExportFileIsANoticeAndStillPostsTheHeaderPart) {
    EXPECT_EQ(Import("QQ", "gone.txt"), Result::kTaken);
    EXPECT_EQ(progress_.shown,
              (std::vector<std::string>{"notice File does not exist gone.txt", "progress Writing Export Log...",
                                        "version 2.101020", "progress Connecting to 127.0.0.1",
                                        "progress Sending Data to 127.0.0.1",
                                        "progress Import Complete! Opening Web Site 127.0.0.1"}));
    EXPECT_EQ(ThePost().body, kHeaderPart);
    EXPECT_TRUE(outcome_.exportFileMissing);
    EXPECT_TRUE(outcome_.Messages().empty());
}

TEST_F(RunImportTest, AnExportFileLongerThanTheBufferIsRefusedWhole) {
    std::string lines;
    for (int i = 0; i < 5001; ++i) lines += "LINE\n";
    WriteBytes("quote.txt", lines);
    EXPECT_EQ(Import("QQ"), Result::kNotSent);
    EXPECT_TRUE(fake::Platform().posts.empty());
    EXPECT_EQ(
        outcome_.Messages(),
        std::vector<std::string>{
            "The export file quote.txt has more than 5000 lines, more than Vantrel can import.\nNothing was sent."});
}

TEST_F(RunImportTest, ServerLookupsNameWhatTheyCouldNotFind) {
    Configure("NO SUCH PRODUCT");
    Import("QQ");
    EXPECT_EQ(ThePost().host, "No Server Path Found NO SUCH PRODUCT");
    EXPECT_FALSE(ThePost().secure);
}

TEST_F(RunImportTest, AnHttpsServerIsPostedOverTlsAndNamedWithoutTheScheme) {
    Configure("SECURE AUTO");
    EXPECT_EQ(Import("QQ"), Result::kTaken);
    EXPECT_EQ(ThePost().host, "secure.test");
    EXPECT_TRUE(ThePost().secure);
    EXPECT_EQ(ProgressTexts().back(), "Import Complete! Opening Web Site secure.test");
    ExpectLoggedAndHandedOver("secure.test", "UNDEFINED", "https://secure.test");

    // Only the exact lower-case prefix means TLS; anything else goes out as it always did.
    fake::Platform().posts.clear();
    Configure("ODD AUTO");
    Import("QQ");
    EXPECT_EQ(ThePost().host, "HTTPS://odd.test");
    EXPECT_FALSE(ThePost().secure);
}

TEST_F(RunImportTest, AServerThatRefusesThePostIsToldAndTheImportEndsAfterSending) {
    fake::Platform().postResult = Answer(404, "Not Found");
    EXPECT_EQ(Import("QQ"), Result::kRefused);
    EXPECT_EQ(
        outcome_.Messages(),
        std::vector<std::string>{"The server 127.0.0.1 answered \"404 Not Found\".\nThe quote was not imported."});
    EXPECT_EQ(ProgressTexts().back(), "Sending Data to 127.0.0.1");
    EXPECT_TRUE(std::filesystem::exists("export.log"));
}

TEST_F(RunImportTest, AServerMovedToTlsGetsTheSameRequestOverTlsAndIsStillNamedAsRouted) {
    for (int status : {301, 302, 303, 307, 308}) {
        std::filesystem::remove("TlsHosts.dat");  // a permanent move is remembered
        fake::Platform().posts.clear();
        fake::Platform().postAnswers = {Answer(status, "Moved", "https://127.0.0.1/krn/import.asp")};
        EXPECT_EQ(Import("QQ"), Result::kTaken) << status;

        const auto& posts = fake::Platform().posts;
        ASSERT_EQ(posts.size(), 2u) << status;
        EXPECT_FALSE(posts[0].secure);
        EXPECT_TRUE(posts[1].secure);
        EXPECT_EQ(std::tie(posts[1].host, posts[1].objectName, posts[1].headerLine, posts[1].body),
                  std::tie(posts[0].host, posts[0].objectName, posts[0].headerLine, posts[0].body));
        EXPECT_TRUE(outcome_.Messages().empty());
        EXPECT_EQ(ProgressTexts().back(), "Import Complete! Opening Web Site 127.0.0.1");
        EXPECT_EQ(outcome_.handOff.startupLink, "http://127.0.0.1/krn/start.asp?externalQuoteImportID=202612720565");
    }
    EXPECT_NE(ReadBytes("export.log").find("\r\nServer = 127.0.0.1 KRN Browser Path = KRN\r\n"), std::string::npos);
}

TEST_F(RunImportTest, WhatTheMovedRequestMeetsIsJudgedWithoutASecondMove) {
    // Redirected again to its own address, or a certificate the system does not trust.
    fake::Platform().postAnswers = {Answer(301, "Moved Permanently", "https://127.0.0.1/krn/import.asp"),
                                    Answer(301, "Moved Permanently", "https://127.0.0.1/krn/import.asp")};
    EXPECT_EQ(Import("QQ"), Result::kRefused);
    EXPECT_EQ(fake::Platform().posts.size(), 2u);
    EXPECT_EQ(outcome_.Messages(),
              std::vector<std::string>{"The server 127.0.0.1 answered \"301 Moved Permanently\" "
                                       "(to https://127.0.0.1/krn/import.asp).\nThe quote was not imported."});

    std::filesystem::remove("TlsHosts.dat");  // the server's answer over TLS taught that it takes TLS
    fake::Platform().postAnswers = {Answer(301, "Moved Permanently", "https://127.0.0.1/krn/import.asp"),
                                    InternetError("Bad certificate")};
    EXPECT_EQ(Import("QQ"), Result::kInternetError);
    EXPECT_EQ(outcome_.Messages(),
              (std::vector<std::string>{"An HTTP Exception has occured. Click OK to see the error message",
                                        "Bad certificate", "Server: 127.0.0.1"}));
}

TEST_F(RunImportTest, AfterTheMoveOnlyAPageOfTheTlsServerMeansTheQuoteWasTaken) {
    // The request that was answered went over TLS: its server's pages are the https ones.
    fake::Platform().postAnswers = {Answer(301, "Moved Permanently", "https://127.0.0.1/krn/import.asp"),
                                    Answer(303, "See Other", "https://127.0.0.1/done.asp")};
    EXPECT_EQ(Import("QQ"), Result::kTaken);
    EXPECT_EQ(fake::Platform().posts.size(), 2u);
    EXPECT_TRUE(outcome_.Messages().empty());

    fake::Platform().posts.clear();
    std::filesystem::remove("TlsHosts.dat");  // the permanent move taught that it takes TLS
    fake::Platform().postAnswers = {Answer(301, "Moved Permanently", "https://127.0.0.1/krn/import.asp"),
                                    Answer(303, "See Other", "http://127.0.0.1/done.asp")};
    EXPECT_EQ(Import("QQ"), Result::kRefused);
    EXPECT_EQ(fake::Platform().posts.size(), 2u);
    EXPECT_EQ(outcome_.Messages(),
              std::vector<std::string>{"The server 127.0.0.1 answered \"303 See Other\" "
                                       "(to http://127.0.0.1/done.asp).\nThe quote was not imported."});
}

TEST_F(RunImportTest, AServerKnownToTakeTlsGetsThePostOnlyOverTlsAndIsStillNamedAsRouted) {
    WriteBytes("TlsHosts.dat", "127.0.0.1 always;\r\n");
    EXPECT_EQ(Import("QQ"), Result::kTaken);
    EXPECT_TRUE(ThePost().secure);
    EXPECT_EQ(ThePost().host, "127.0.0.1");
    EXPECT_TRUE(outcome_.Messages().empty());
    EXPECT_EQ(ProgressTexts(),
              (std::vector<std::string>{"Writing Export Log...", "Connecting to 127.0.0.1", "Sending Data to 127.0.0.1",
                                        "Import Complete! Opening Web Site 127.0.0.1"}));
    ExpectLoggedAndHandedOver("127.0.0.1", "KRN", "http://127.0.0.1");

    // Over TLS it fails as any post over TLS does, and is not sent again in clear.
    fake::Platform().posts.clear();
    fake::Platform().postResult = InternetError("Bad certificate");
    EXPECT_EQ(Import("QQ"), Result::kInternetError);
    EXPECT_TRUE(ThePost().secure);
    EXPECT_EQ(outcome_.Messages(),
              (std::vector<std::string>{"An HTTP Exception has occured. Click OK to see the error message",
                                        "Bad certificate", "Server: 127.0.0.1"}));
    EXPECT_EQ(ReadBytes("TlsHosts.dat"), "127.0.0.1 always;\r\n");
}

TEST_F(RunImportTest, RedirectsElsewhereAreNotFollowedAndPagesOfTheSameServerAreNotFetched) {
    fake::Platform().postAnswers = {Answer(302, "Found", "http://login.test/sign-in?back=/krn")};
    EXPECT_EQ(Import("QQ"), Result::kRefused);
    EXPECT_EQ(fake::Platform().posts.size(), 1u);
    EXPECT_EQ(outcome_.Messages(),
              std::vector<std::string>{"The server 127.0.0.1 answered \"302 Found\" "
                                       "(to http://login.test/sign-in?back=/krn).\nThe quote was not imported."});
    EXPECT_EQ(ProgressTexts().back(), "Sending Data to 127.0.0.1");

    fake::Platform().posts.clear();
    fake::Platform().postAnswers = {Answer(303, "See Other", "/krn/done.asp")};
    EXPECT_EQ(Import("QQ"), Result::kTaken);
    EXPECT_EQ(fake::Platform().posts.size(), 1u);
    EXPECT_TRUE(outcome_.Messages().empty());
}

TEST_F(RunImportTest, APasswordIsAskedForAtMostThreeTimes) {
    // (password requests, sends) of the last import.
    auto prompted = [this] {
        return std::make_pair(progress_.PasswordRequests(), static_cast<int>(EventsOf({EventKind::kSend}).size()));
    };

    // The proxy wants a password, the agent gives it, the post goes through.
    fake::Platform().postAnswers = {Answer(407, "Proxy Authentication Required")};
    progress_.passwordReplies = {true};
    EXPECT_EQ(Import("QQ"), Result::kTaken);
    EXPECT_EQ(progress_.shown,
              (std::vector<std::string>{"progress Writing Export Log...", "version 2.101020",
                                        "progress Connecting to 127.0.0.1", "progress Sending Data to 127.0.0.1",
                                        "password", "progress Sending Data to 127.0.0.1",
                                        "progress Import Complete! Opening Web Site 127.0.0.1"}));
    EXPECT_EQ(prompted(), std::make_pair(1, 2));
    EXPECT_EQ(fake::Platform().posts.size(), 1u);  // the same request, sent again
    EXPECT_TRUE(outcome_.Messages().empty());

    // The agent cancels.
    fake::Platform().postAnswers = {Answer(407, "Proxy Authentication Required")};
    EXPECT_EQ(Import("QQ"), Result::kRefused);
    EXPECT_EQ(prompted(), std::make_pair(1, 1));
    EXPECT_EQ(outcome_.Messages(),
              std::vector<std::string>{
                  "The proxy server answered \"407 Proxy Authentication Required\".\nThe quote was not imported."});

    // The server keeps refusing every password: three requests, then its refusal stands.
    fake::Platform().postResult = Answer(401, "Unauthorized");
    progress_.passwordReplies = {true, true, true, true};
    EXPECT_EQ(Import("QQ"), Result::kRefused);
    EXPECT_EQ(prompted(), std::make_pair(3, 4));
    EXPECT_EQ(
        outcome_.Messages(),
        std::vector<std::string>{"The server 127.0.0.1 answered \"401 Unauthorized\".\nThe quote was not imported."});
}

TEST_F(RunImportTest, TheServerMovedToTlsMayAskForAPasswordAsWell) {
    fake::Platform().postAnswers = {Answer(301, "Moved Permanently", "https://127.0.0.1/krn/import.asp"),
                                    Answer(401, "Unauthorized"), Answer(200, "OK")};
    progress_.passwordReplies = {true};
    EXPECT_EQ(Import("QQ"), Result::kTaken);

    // The password is asked for after the request over TLS was answered, and that request
    // goes again: no new request is opened after the password.
    EXPECT_EQ(EventsOf({EventKind::kPost, EventKind::kSend}),
              (std::vector<Event>{Event::Post("127.0.0.1"), Event::Send(), Event::Post("127.0.0.1", true),
                                  Event::Send(), Event::Send()}));
    EXPECT_EQ(progress_.shown,
              (std::vector<std::string>{
                  "progress Writing Export Log...", "version 2.101020", "progress Connecting to 127.0.0.1",
                  "progress Sending Data to 127.0.0.1", "progress Sending Data to 127.0.0.1", "password",
                  "progress Sending Data to 127.0.0.1", "progress Import Complete! Opening Web Site 127.0.0.1"}));
    EXPECT_TRUE(outcome_.Messages().empty());
}

namespace {

// The history's lines so far, without their CR LF.
std::vector<std::string> HistoryLines() {
    std::vector<std::string> lines;
    std::ifstream in(kImportHistoryFile, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        EXPECT_EQ(line.back(), '\r');
        lines.push_back(line.substr(0, line.size() - 1));
    }
    return lines;
}

}  // namespace

TEST_F(RunImportTest, EveryImportLeavesOneLineInTheHistoryAsItEnded) {
    fake::Platform().utcOffsetMinutes = -5 * 60;
    // Each send takes 40 ms, each password request 2 s of the agent's.
    fake::Platform().sendMilliseconds = 40;
    progress_.answerMilliseconds = 2000;
    fake::Platform().postAnswers = {Answer(407, "Proxy Authentication Required")};
    progress_.passwordReplies = {true};
    EXPECT_EQ(Import("QQ"), Result::kTaken);

    fake::Platform().postAnswers = {Answer(301, "Moved Permanently", "https://127.0.0.1/krn/import.asp")};
    EXPECT_EQ(Import("QQ"), Result::kTaken);
    std::filesystem::remove("TlsHosts.dat");  // the permanent move taught that it takes TLS
    fake::Platform().postAnswers = {Answer(302, "Found", "http://login.test/sign-in")};
    EXPECT_EQ(Import("QQ"), Result::kRefused);
    fake::Platform().postAnswers = {InternetError("The request has timed out.")};
    EXPECT_EQ(Import("QQ"), Result::kInternetError);
    fake::Platform().postAnswers = {{platform::PostResult::Outcome::kSendFailed, "", 0, "", ""}};
    EXPECT_EQ(Import("QQ"), Result::kSendFailed);
    Configure("SECURE AUTO");
    EXPECT_EQ(Import("FSC", "gone.txt"), Result::kTaken);
    Configure("TEST AUTO");
    WriteBytes("quote.txt", std::string(5001 * 5, '\n'));
    EXPECT_EQ(Import("QQ"), Result::kNotSent);
    EXPECT_EQ(Import(""), Result::kNothingToImport);

    const std::string start = "2026-12-07T20:56:05-05:00\t202612720565\t";
    EXPECT_EQ(HistoryLines(),
              (std::vector<std::string>{
                  start + "QQ\tTEST AUTO\t127.0.0.1\thttp\ttaken\t200 OK\t\t\t2080",
                  start + "QQ\tTEST AUTO\t127.0.0.1\thttp->https\ttaken\t200 OK\t\t\t80",
                  start + "QQ\tTEST AUTO\t127.0.0.1\thttp\trefused\t302 Found\thttp://login.test/sign-in\t\t40",
                  start + "QQ\tTEST AUTO\t127.0.0.1\thttp\tinternet-error\t\t\tThe request has timed out.\t40",
                  start + "QQ\tTEST AUTO\t127.0.0.1\thttp\tsend-failed\t\t\t\t40",
                  start + "FSC\tSECURE AUTO\tsecure.test\thttps\tfile-missing\t200 OK\t\t\t40",
                  start + "QQ\tTEST AUTO\t\t\tnot-sent\t\t\t\t",
              }));
}

TEST_F(RunImportTest, NoValueOfTheQuoteReachesTheHistory) {
    const std::vector<std::string> markers = {"QMARKSURNAME71", "QMARKGIVEN72", "QMARKVIN73", "QMARKPHONE74",
                                              "QMARKSTREET75"};
    WriteBytes("quote.txt", "\"1\",\"" + markers[0] + "\",\"" + markers[1] + "\"\n\"2\",\"" + markers[2] + "\",\"(" +
                                markers[3] + ")\"\n\"3\",\"" + markers[4] + " 12\"\n");
    fake::Platform().postAnswers = {Answer(407, "Proxy Authentication Required"),
                                    Answer(301, "Moved", "https://127.0.0.1/krn/import.asp"), Answer(200, "OK")};
    progress_.passwordReplies = {true};
    EXPECT_EQ(Import("FSC"), Result::kTaken);
    fake::Platform().postAnswers = {Answer(500, "Internal Server Error")};
    EXPECT_EQ(Import("FSC"), Result::kRefused);
    fake::Platform().postAnswers = {InternetError("reset")};
    EXPECT_EQ(Import("QQ"), Result::kInternetError);

    // The quote went out each time, and none of it came into the history.
    ASSERT_EQ(fake::Platform().posts.size(), 4u);
    for (const platform::FormPost& post : fake::Platform().posts) {
        for (const std::string& marker : markers) EXPECT_NE(post.body.find(marker), std::string::npos) << marker;
    }
    const std::string history = ReadBytes(kImportHistoryFile);
    EXPECT_EQ(HistoryLines().size(), 3u);
    for (const std::string& marker : markers) EXPECT_EQ(history.find(marker), std::string::npos) << marker;
    EXPECT_EQ(history.find("&R"), std::string::npos);
}

TEST_F(RunImportTest, AHistoryThatCannotBeWrittenChangesNothingTheAgentSeesOrWaitsFor) {
    // What the agent sees, waits for and is handed over to with the history written, then
    // with a folder where the history belongs, so that nothing can be written there.
    auto seen = [this] {
        fake::Platform().postAnswers = {Answer(404, "Not Found")};
        Import("QQ");
        const auto refused =
            std::make_tuple(fake::Platform().events, progress_.shown, outcome_.result, outcome_.Messages());
        fake::Platform().postAnswers = {Answer(200, "OK")};
        Import("QQ");
        return std::make_tuple(refused, fake::Platform().events, progress_.shown, outcome_.result, outcome_.Messages(),
                               outcome_.handOff.startupLink);
    };
    const auto written = seen();
    EXPECT_EQ(HistoryLines().size(), 2u);

    std::filesystem::remove(kImportHistoryFile);
    std::filesystem::create_directory(kImportHistoryFile);
    EXPECT_EQ(seen(), written);
    EXPECT_TRUE(std::filesystem::is_empty(kImportHistoryFile));
}
