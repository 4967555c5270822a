#include "import/server_answer.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using V = AnswerVerdict;

// Where a redirect of a plain post to http://quotes.test/krn/import.asp points.
const std::map<std::string, std::string> kLocations = {
    {"own address over TLS", "https://quotes.test/krn/import.asp"},
    {"own address over TLS, port and case", "HTTPS://Quotes.Test:443/krn/import.asp"},
    {"other path over TLS", "https://quotes.test/krn/other.asp"},
    {"other port over TLS", "https://quotes.test:8443/krn/import.asp"},
    {"page of the server", "/krn/done.asp?id=1"},
    {"page of the server, written whole", "http://QUOTES.test:80/krn/done.asp"},
    {"root page of the server", "/"},
    {"page of the server, query right after the host", "http://quotes.test?id=1"},
    {"other server", "http://login.test/sign-in"},
    {"other server, no scheme", "//login.test/sign-in"},
    {"relative, no slash", "done.asp"},
    {"none", ""},
};

struct Row {
    int status;
    V otherwise;                        // for every location not listed
    std::map<std::string, V> verdicts;  // by location
};

const Row kRows[] = {
    {200, V::kTaken, {}},
    {204, V::kTaken, {}},
    {299, V::kTaken, {}},
    {301,
     V::kRefused,
     {{"own address over TLS", V::kMoveToTls}, {"own address over TLS, port and case", V::kMoveToTls}}},
    {307,
     V::kRefused,
     {{"own address over TLS", V::kMoveToTls}, {"own address over TLS, port and case", V::kMoveToTls}}},
    {308,
     V::kRefused,
     {{"own address over TLS", V::kMoveToTls}, {"own address over TLS, port and case", V::kMoveToTls}}},
    {302,
     V::kRefused,
     {{"own address over TLS", V::kMoveToTls},
      {"own address over TLS, port and case", V::kMoveToTls},
      {"page of the server", V::kTaken},
      {"page of the server, written whole", V::kTaken},
      {"root page of the server", V::kTaken},
      {"page of the server, query right after the host", V::kTaken}}},
    {303,
     V::kRefused,
     {{"own address over TLS", V::kMoveToTls},
      {"own address over TLS, port and case", V::kMoveToTls},
      {"page of the server", V::kTaken},
      {"page of the server, written whole", V::kTaken},
      {"root page of the server", V::kTaken},
      {"page of the server, query right after the host", V::kTaken}}},
    {199, V::kRefused, {}},
    {300, V::kRefused, {}},
    {304, V::kRefused, {}},
    {401, V::kRefused, {}},
    {404, V::kRefused, {}},
    {407, V::kRefused, {}},
    {500, V::kRefused, {}},
};

}  // namespace

TEST(ServerAnswerTest, EveryStatusAndRedirectTargetOfAPlainPostIsJudged) {
    const PostedAddress plain{"quotes.test", "krn/import.asp", false};
    for (const Row& row : kRows) {
        for (const auto& [name, location] : kLocations) {
            const V expected = row.verdicts.count(name) ? row.verdicts.at(name) : row.otherwise;
            EXPECT_EQ(JudgeAnswer({row.status, "Reason", location}, plain, false), expected)
                << row.status << " to " << name;
        }
    }
}

TEST(ServerAnswerTest, AnAnswerOverTlsIsNeverMovedAgain) {
    // The request that went again over TLS, and a route that is https:// from the start.
    for (bool moved : {true, false}) {
        const PostedAddress secure{"quotes.test", "krn/import.asp", true};
        for (int status : {301, 307, 308}) {
            EXPECT_EQ(JudgeAnswer({status, "", "https://quotes.test/krn/import.asp"}, secure, moved), V::kRefused);
        }
        // Over TLS the same server is the https one.
        EXPECT_EQ(JudgeAnswer({302, "", "https://quotes.test/krn/done.asp"}, secure, moved), V::kTaken);
        EXPECT_EQ(JudgeAnswer({303, "", "/krn/done.asp"}, secure, moved), V::kTaken);
        EXPECT_EQ(JudgeAnswer({302, "", "http://quotes.test/krn/done.asp"}, secure, moved), V::kRefused);
        EXPECT_EQ(JudgeAnswer({200, "OK", ""}, secure, moved), V::kTaken);
    }
    // A plain post whose move was already followed is not moved a second time.
    const PostedAddress plain{"quotes.test", "/krn/import.asp", false};
    EXPECT_EQ(JudgeAnswer({301, "", "https://quotes.test/krn/import.asp"}, plain, false), V::kMoveToTls);
    EXPECT_EQ(JudgeAnswer({301, "", "https://quotes.test/krn/import.asp"}, plain, true), V::kRefused);
}

TEST(ServerAnswerTest, RefusalsNameTheStatusWhereItPointedOrTheProxy) {
    const struct {
        ServerAnswer answer;
        const char* message;
    } cases[] = {
        {{404, "Not Found", ""}, "The server q.test answered \"404 Not Found\".\nThe quote was not imported."},
        {{503, "", ""}, "The server q.test answered \"503\".\nThe quote was not imported."},
        {{401, "Unauthorized", ""}, "The server q.test answered \"401 Unauthorized\".\nThe quote was not imported."},
        {{302, "Found", "http://login.test/"},
         "The server q.test answered \"302 Found\" (to http://login.test/).\nThe quote was not imported."},
        {{308, "", "https://x.test/a"},
         "The server q.test answered \"308\" (to https://x.test/a).\nThe quote was not imported."},
        {{301, "Moved Permanently", ""},
         "The server q.test answered \"301 Moved Permanently\".\nThe quote was not imported."},
        {{407, "Proxy Authentication Required", ""},
         "The proxy server answered \"407 Proxy Authentication Required\".\nThe quote was not imported."},
        // A Location on an answer that is no redirect is not where anything went.
        {{500, "Internal Server Error", "/error"},
         "The server q.test answered \"500 Internal Server Error\".\nThe quote was not imported."},
    };
    for (const auto& c : cases) EXPECT_EQ(RefusalMessage("q.test", c.answer), c.message);
}
