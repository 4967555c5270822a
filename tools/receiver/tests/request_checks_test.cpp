// What is refused before a body is read, and how request text is made safe for the log.
// Both take bytes from any client, so they also run under AddressSanitizer (asan preset).
#include "request_checks.h"

#include <gtest/gtest.h>

#include "log_text.h"

namespace receiver {
namespace {

httplib::Request RequestOf(const std::string& method, const std::vector<std::pair<std::string, std::string>>& headers) {
    httplib::Request request;
    request.method = method;
    for (const auto& [name, value] : headers) {
        request.headers.emplace(name, value);
    }
    return request;
}

TEST(RequestChecks, ContentLengthIsDecimalDigitsAndNothingElse) {
    const std::vector<std::pair<std::string, std::optional<std::uint64_t>>> cases = {
        {"0", 0},
        {"7", 7},
        {"0012", 12},
        {"9223372036854775807", 9223372036854775807u},
        {"9999999999999999999", 9999999999999999999u},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1e3", std::nullopt},
        {"-1", std::nullopt},
        {"+5", std::nullopt},
        {"0x10", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {" 12", std::nullopt},
        {"12,12", std::nullopt},
        {"18446744073709551616", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {std::string("1\0", 2), std::nullopt},
        {"\xff", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseContentLength(text), expected) << "\"" << text << "\"";
    }
}

TEST(RequestChecks, WhatIsRefusedBeforeTheBodyIsRead) {
    struct Case {
        std::string method;
        std::vector<std::pair<std::string, std::string>> headers;
        int status;  // 0: goes on
    };
    const std::vector<Case> cases = {
        {"POST", {{"Content-Length", "10"}}, 0},
        {"POST", {{"Content-Length", "100"}}, 0},
        {"POST", {{"Content-Length", "101"}}, 413},
        {"POST", {{"Content-Length", "10"}, {"Content-Length", "10"}}, 0},
        {"POST", {{"Content-Length", "10"}, {"Content-Length", "11"}}, 400},
        {"POST", {{"Content-Length", "1e1"}}, 400},
        {"POST", {{"Transfer-Encoding", "chunked"}}, 0},
        {"POST", {{"Transfer-Encoding", "Chunked"}}, 0},
        {"POST", {{"Transfer-Encoding", "gzip, chunked"}}, 501},
        {"POST", {{"Transfer-Encoding", "chunked"}, {"Transfer-Encoding", "chunked"}}, 501},
        {"POST", {{"Transfer-Encoding", "chunked"}, {"Content-Length", "10"}}, 400},
        {"POST", {}, 411},
        {"GET", {}, 0},
        {"HEAD", {}, 0},
        {"GET", {{"Content-Length", "1000"}}, 0},
        {"GET", {{"Content-Length", "x"}}, 400},
        {"PUT", {{"Content-Length", "10"}}, 405},
        {"DELETE", {}, 405},
        {"OPTIONS", {}, 405},
        {"PATCH", {{"Transfer-Encoding", "chunked"}}, 405},
    };
    for (const Case& c : cases) {
        const auto refusal = CheckRequest(RequestOf(c.method, c.headers), 100);
        EXPECT_EQ(refusal ? refusal->status : 0, c.status) << c.method << " " << testing::PrintToString(c.headers);
        if (refusal) {
            EXPECT_FALSE(refusal->reason.empty());
        }
    }
}

TEST(RequestChecks, ABodyIsCarriedByALengthAboveZeroOrByChunks) {
    EXPECT_FALSE(CarriesBody(RequestOf("GET", {})));
    EXPECT_FALSE(CarriesBody(RequestOf("GET", {{"Content-Length", "0"}})));
    EXPECT_TRUE(CarriesBody(RequestOf("GET", {{"Content-Length", "1"}})));
    EXPECT_TRUE(CarriesBody(RequestOf("HEAD", {{"Transfer-Encoding", "chunked"}})));
}

TEST(LogText, EveryByteThatIsNotPrintableAsciiIsWrittenAsItsNumber) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string escaped = EscapeForLog(std::string(1, static_cast<char>(byte)));
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            EXPECT_EQ(escaped, std::string(1, static_cast<char>(byte))) << byte;
        } else {
            char expected[8];
            std::snprintf(expected, sizeof expected, "\\x%02x", byte);
            EXPECT_EQ(escaped, expected) << byte;
        }
    }
    EXPECT_EQ(EscapeForLog("POST /a\x1b[2J\r\nB\\ 200"), "POST /a\\x1b[2J\\x0d\\x0aB\\x5c 200");
    EXPECT_EQ(EscapeForLog(std::string("a\0b", 3)), "a\\x00b");
}

}  // namespace
}  // namespace receiver
