#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/tls_hosts.h"
#include "import/quote_delivery.h"
#include "platform/fake/state.h"
#include "test_folder.h"

namespace {

using Outcome = platform::PostResult::Outcome;
using fake::Event;

// The fake UTC clock reads 2026-12-08T02:56:05Z.
const char kInAYear[] = "2027-12-08T02:56:05Z";
const char kInTenMinutes[] = "2026-12-08T03:06:05Z";
const char kOwnAddressOverTls[] = "https://quotes.test/krn/import.asp";

platform::PostResult Answer(int status, const std::string& location = "", const std::string& sts = "") {
    platform::PostResult answer{Outcome::kAnswered, "", status, "Reason", location};
    answer.strictTransportSecurity = sts;
    return answer;
}

platform::PostResult InternetError() {
    return {Outcome::kInternetError, "The certificate authority is invalid or incorrect", 0, "", ""};
}

class NoPasswords : public ImportProgress {
public:
    void ShowProgress(const std::string& text) override { shown.push_back(text); }
    void ShowVersion(const std::string&) override {}
    void ShowNotice(const std::string& text) override { shown.push_back(text); }
    bool AskForPassword(platform::FormRequest&) override { return false; }

    std::vector<std::string> shown;
};

class QuoteDeliveryTest : public InTestFolder {
protected:
    // Delivers to the route's server http://quotes.test (https:// when `secure`), the server
    // answering in turn with `answers`.
    Delivery Deliver(std::deque<platform::PostResult> answers, bool secure = false) {
        fake::Platform().posts.clear();
        fake::Platform().events.clear();
        fake::Platform().postAnswers = std::move(answers);
        fake::Platform().postResult = InternetError();  // no answer beyond the script
        progress_.shown.clear();
        return DeliverQuote({"Vantrel", "quotes.test", secure, "krn/import.asp", "Content-Type: x", "source=1"},
                            progress_);
    }

    // The post's way: its requests, plain or over TLS, and each send.
    std::vector<Event> Posts() const { return fake::Platform().events; }

    std::string KnownHosts() const {
        return std::filesystem::exists(kTlsHostsFile) ? ReadBytes(kTlsHostsFile) : "(no file)";
    }

    NoPasswords progress_;
};

const std::vector<Event> kPlainThenTls = {Event::Post("quotes.test"), Event::Send(), Event::Post("quotes.test", true),
                                          Event::Send()};
const std::vector<Event> kTlsOnly = {Event::Post("quotes.test", true), Event::Send()};

}  // namespace

TEST_F(QuoteDeliveryTest, APermanentMoveToTlsTeachesTheHostForAYearAndATemporaryOneNothing) {
    for (int status : {301, 302, 303, 307, 308}) {
        std::filesystem::remove(kTlsHostsFile);
        const Delivery delivery = Deliver({Answer(status, kOwnAddressOverTls), Answer(200)});
        EXPECT_EQ(Posts(), kPlainThenTls) << status;
        EXPECT_EQ(delivery.route, PostRoute::kMovedToTls) << status;
        EXPECT_EQ(delivery.verdict, AnswerVerdict::kTaken) << status;
        const bool permanent = status == 301 || status == 308;
        EXPECT_EQ(KnownHosts(), permanent ? std::string("quotes.test ") + kInAYear + ";\r\n" : "(no file)") << status;
    }
    // Whatever the moved post met over TLS, a status line means the host takes TLS.
    std::filesystem::remove(kTlsHostsFile);
    EXPECT_EQ(Deliver({Answer(301, kOwnAddressOverTls), Answer(500)}).verdict, AnswerVerdict::kRefused);
    EXPECT_EQ(KnownHosts(), std::string("quotes.test ") + kInAYear + ";\r\n");
}

TEST_F(QuoteDeliveryTest, APostThatNeverCameToTlsTeachesNothing) {
    // Taken in clear, refused in clear, moved elsewhere, or moved and then not answered over TLS.
    for (const auto& answers : std::vector<std::deque<platform::PostResult>>{
             {Answer(200)},
             {Answer(404)},
             {Answer(301, "https://elsewhere.test/krn/import.asp")},
             {Answer(308, "http://quotes.test/krn/v2/import.asp")},
             {Answer(301, kOwnAddressOverTls), InternetError()},
             {Answer(308, kOwnAddressOverTls), {Outcome::kSendFailed, "", 0, "", ""}},
         }) {
        Deliver(answers);
        EXPECT_EQ(KnownHosts(), "(no file)") << answers.front().statusCode << " " << answers.front().location;
    }
    EXPECT_EQ(Deliver({Answer(200)}).route, PostRoute::kPlain);
}

TEST_F(QuoteDeliveryTest, StrictTransportSecurityCountsOnlyOverTlsAndThenDecides) {
    const std::string inTenMinutes = std::string("quotes.test ") + kInTenMinutes + ";\r\n";
    // Sent in clear, it is not believed: anyone on the way could have written it.
    Deliver({Answer(200, "", "max-age=600")});
    EXPECT_EQ(KnownHosts(), "(no file)");
    Deliver({Answer(302, kOwnAddressOverTls, "max-age=600"), Answer(200)});
    EXPECT_EQ(KnownHosts(), "(no file)");

    // Over TLS, on any answer, its max-age decides, also after a permanent move.
    Deliver({Answer(302, kOwnAddressOverTls), Answer(200, "", "max-age=600")});
    EXPECT_EQ(KnownHosts(), inTenMinutes);
    std::filesystem::remove(kTlsHostsFile);
    Deliver({Answer(301, kOwnAddressOverTls), Answer(503, "", "max-age=600")});
    EXPECT_EQ(KnownHosts(), inTenMinutes);
    std::filesystem::remove(kTlsHostsFile);
    Deliver({Answer(301, kOwnAddressOverTls), Answer(200, "", "max-age=0")});
    EXPECT_EQ(KnownHosts(), "(no file)");

    // A header that does not read counts as none: the permanent move alone teaches.
    Deliver({Answer(307, kOwnAddressOverTls), Answer(200, "", "max-age=600, includeSubDomains")});
    EXPECT_EQ(KnownHosts(), "(no file)");
    Deliver({Answer(301, kOwnAddressOverTls), Answer(200, "", "max-age=1; max-age=600")});
    EXPECT_EQ(KnownHosts(), std::string("quotes.test ") + kInAYear + ";\r\n");

    // A route's own https:// server teaches too, for the routes that name it with http://.
    std::filesystem::remove(kTlsHostsFile);
    const Delivery secure = Deliver({Answer(200, "", "max-age=600")}, true);
    EXPECT_EQ(secure.route, PostRoute::kTls);
    EXPECT_EQ(Posts(), kTlsOnly);
    EXPECT_EQ(KnownHosts(), inTenMinutes);
}

TEST_F(QuoteDeliveryTest, AKnownHostGetsThePostOnlyOverTlsJudgedAsAMovedPost) {
    WriteBytes(kTlsHostsFile, "other.test always;\r\nQUOTES.TEST 2026-12-08T02:56:06Z;\r\n");
    Delivery delivery = Deliver({Answer(200)});
    EXPECT_EQ(delivery.route, PostRoute::kKnownTls);
    EXPECT_EQ(delivery.verdict, AnswerVerdict::kTaken);
    EXPECT_EQ(Posts(), kTlsOnly);
    EXPECT_EQ(fake::Platform().posts.at(0).host, "quotes.test");
    EXPECT_EQ(progress_.shown, std::vector<std::string>{"Sending Data to quotes.test"});

    // A page of the same server is taken; another move is not followed.
    EXPECT_EQ(Deliver({Answer(303, "https://quotes.test/krn/done.asp")}).verdict, AnswerVerdict::kTaken);
    EXPECT_EQ(Deliver({Answer(301, kOwnAddressOverTls)}).verdict, AnswerVerdict::kRefused);
    EXPECT_EQ(Posts(), kTlsOnly);
    // Nothing new was learned: the file is as it was.
    EXPECT_EQ(KnownHosts(), "other.test always;\r\nQUOTES.TEST 2026-12-08T02:56:06Z;\r\n");

    // Learned again: its entry is replaced, the others kept as they were.
    Deliver({Answer(200, "", "max-age=600")});
    EXPECT_EQ(KnownHosts(), std::string("other.test always;\r\nquotes.test ") + kInTenMinutes + ";\r\n");
}

TEST_F(QuoteDeliveryTest, AHostIsKnownUntilItsTimeAndThenPostedInClearAgain) {
    WriteBytes(kTlsHostsFile, "gone.test 2020-01-01T00:00:00Z;\r\nquotes.test 2026-12-08T02:56:05Z;\r\n");
    EXPECT_EQ(Deliver({Answer(200)}).route, PostRoute::kPlain);
    EXPECT_EQ(Posts(), (std::vector<Event>{Event::Post("quotes.test"), Event::Send()}));

    // Learned anew; the entries whose time has passed are dropped with that write.
    Deliver({Answer(308, kOwnAddressOverTls), Answer(200)});
    EXPECT_EQ(KnownHosts(), std::string("quotes.test ") + kInAYear + ";\r\n");
}

TEST_F(QuoteDeliveryTest, AnAlwaysEntryStaysUntilMaxAgeZero) {
    const std::string always = "Quotes.Test always;\r\n";
    WriteBytes(kTlsHostsFile, always);
    for (const char* sts : {"", "max-age=600", "max-age=31536000"}) {
        EXPECT_EQ(Deliver({Answer(200, "", sts)}).route, PostRoute::kKnownTls) << sts;
        EXPECT_EQ(KnownHosts(), always) << sts;
    }
    Deliver({Answer(200, "", "max-age=0")});
    EXPECT_EQ(KnownHosts(), "(no file)");
    EXPECT_EQ(Deliver({Answer(200)}).route, PostRoute::kPlain);
}

TEST_F(QuoteDeliveryTest, ATlsFailureToAKnownHostIsOneAttemptOverTlsAndChangesNothing) {
    const std::string file = "quotes.test 2027-01-01T00:00:00Z;\r\n";
    WriteBytes(kTlsHostsFile, file);
    for (const platform::PostResult& failure :
         {InternetError(), platform::PostResult{Outcome::kSendFailed, "", 0, "", ""}}) {
        const Delivery delivery = Deliver({failure});
        EXPECT_EQ(Posts(), kTlsOnly);
        EXPECT_EQ(delivery.route, PostRoute::kKnownTls);
        EXPECT_EQ(delivery.sent.outcome, failure.outcome);
        EXPECT_EQ(delivery.sent.errorDescription, failure.errorDescription);
        EXPECT_EQ(KnownHosts(), file);
    }
    // Failing before the request went out: the post is not even tried in clear.
    fake::Platform().postFailsBeforeSend = true;
    Deliver({});
    EXPECT_EQ(Posts(), std::vector<Event>{Event::Post("quotes.test", true)});
    EXPECT_EQ(KnownHosts(), file);
}

TEST_F(QuoteDeliveryTest, AFileThatCannotBeWrittenChangesNothingTheAgentSees) {
    const std::string file = "other.test always;\r\n";
    WriteBytes(kTlsHostsFile, file);
    fake::Platform().replaceFailures = 1;  // held open by another program
    const Delivery delivery = Deliver({Answer(301, kOwnAddressOverTls), Answer(200)});
    EXPECT_EQ(delivery.verdict, AnswerVerdict::kTaken);
    EXPECT_EQ(KnownHosts(), file);
    EXPECT_TRUE(fake::Messages().empty());
    EXPECT_TRUE(fake::Pauses().empty());
    EXPECT_EQ(progress_.shown,
              (std::vector<std::string>{"Sending Data to quotes.test", "Sending Data to quotes.test"}));
    // Not having learned, the next import takes the same way.
    Deliver({Answer(301, kOwnAddressOverTls), Answer(200)});
    EXPECT_EQ(Posts(), kPlainThenTls);
}
