// Bodies and request heads meant to hurt: more bytes than the cap in chunks or compressed,
// Content-Length values that are not numbers, control characters for the log, heads that
// never end. Also run under AddressSanitizer (the asan preset).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "compression.h"
#include "running_receiver.h"
#include "sample_posts.h"
#include "test_folder.h"

namespace receiver {
namespace {

using namespace std::chrono_literals;

const std::string kHeader = "source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=1&fileGenName=1.sti&R0=";
// A cap far below the receiver's own, so that going past it takes little time.
constexpr std::size_t kCap = 1024 * 1024;

ServerLimits SmallCap() {
    ServerLimits limits;
    limits.maxBodyBytes = kCap;
    return limits;
}

// A request as raw bytes over a fresh connection; the whole answer as it came (the requests
// ask for the connection to be closed after the answer).
std::string Exchange(int port, const std::string& request) {
    const int connection = ConnectTo(port);
    if (connection < 0) {
        return "cannot connect";
    }
    SendAll(connection, request);
    std::string answer = ReadUntilClosed(connection);
    close(connection);
    return answer;
}

std::string StatusLine(const std::string& answer) {
    return answer.substr(0, answer.find("\r\n"));
}

TEST(HostileBody, AChunkedBodyPastTheCapIsRefusedAndNotStored) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"), SmallCap());
    const std::string piece(64 * 1024, 'A');
    std::size_t sent = 0;
    auto client = receiver.Client();
    const auto answer = client.Post(
        "/",
        [&](std::size_t, httplib::DataSink& sink) {
            if (sent == 0) {
                sink.write(kHeader.data(), kHeader.size());
            }
            if (sent > kCap + piece.size()) {
                sink.done();
                return true;
            }
            sent += piece.size();
            return sink.write(piece.data(), piece.size());
        },
        kFormType.c_str());

    // The receiver may end the connection before it has read everything that was sent.
    if (answer) {
        EXPECT_EQ(answer->status, 413) << answer->body;
    }
    EXPECT_EQ(receiver.Store().Count(), 0);
}

TEST(HostileBody, ACompressedBodyInflatingPastTheCapIsRefusedAndNotStored) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"), SmallCap());
    const std::string inflated = kHeader + std::string(kCap + 1, 'A');
    const std::vector<std::pair<std::string, std::string>> encodings = {{"gzip", Gzip(inflated)},
                                                                        {"br", Brotli(inflated)}};
    for (const auto& [encoding, packed] : encodings) {
        ASSERT_LT(packed.size(), kCap / 100) << encoding;
        auto client = receiver.Client();
        const auto answer = client.Post("/", {{"Content-Encoding", encoding}}, packed, kFormType.c_str());
        ASSERT_TRUE(answer) << encoding << ": " << httplib::to_string(answer.error());
        EXPECT_EQ(answer->status, 413) << encoding << ": " << answer->body;
    }
    EXPECT_EQ(receiver.Store().Count(), 0);
}

TEST(HostileBody, AContentLengthThatIsNotADecimalNumberIsRefused) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"), SmallCap());
    const std::string body = kHeader + "X";
    for (const std::string length : {"abc", "1e3", "-1", "+5", "0x10", "12abc", "99999999999999999999999", "1 2"}) {
        const std::string answer =
            Exchange(receiver.Port(), "POST / HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: " + kFormType +
                                          "\r\nContent-Length: " + length + "\r\n\r\n" + body);
        EXPECT_EQ(StatusLine(answer), "HTTP/1.1 400 Bad Request") << "Content-Length: " << length;
    }
    // The library drops an empty header, so that post has no length at all; it would be read
    // until the client closes the connection.
    EXPECT_EQ(StatusLine(Exchange(receiver.Port(),
                                  "POST / HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: "
                                  "\r\n\r\n" +
                                      body)),
              "HTTP/1.1 411 Length Required");
    // Two lengths, or a length beside chunked, leave the end of the body in doubt.
    const std::string twoLengths =
        "POST / HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcd";
    EXPECT_EQ(StatusLine(Exchange(receiver.Port(), twoLengths)), "HTTP/1.1 400 Bad Request");
    const std::string lengthAndChunks =
        "POST / HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: 3\r\nTransfer-Encoding: "
        "chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n";
    EXPECT_EQ(StatusLine(Exchange(receiver.Port(), lengthAndChunks)), "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(receiver.Store().Count(), 0);
}

TEST(HostileBody, ControlCharactersReachTheLogEscaped) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"), SmallCap());
    const std::string body = "source=Vantrel20&\x1b[2J\rFAKE LINE";
    const std::string answer = Exchange(
        receiver.Port(), "POST /a\x1b]0;title\x07/b\x7f HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n" + body);
    ASSERT_EQ(StatusLine(answer), "HTTP/1.1 200 OK") << answer;
    ASSERT_TRUE(receiver.Stop());

    const std::string log = receiver.Log();
    const bool raw = std::any_of(log.begin(), log.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\n') || byte == 0x7f;
    });
    EXPECT_FALSE(raw) << log;
    EXPECT_NE(log.find("POST /a\\x1b]0;title\\x07/b\\x7f 200"), std::string::npos) << log;
    EXPECT_NE(log.find("\\x1b[2J\\x0dFAKE LINE"), std::string::npos) << log;
}

TEST(HostileBody, ARequestHeadThatNeverEndsIsCutOff) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"), SmallCap());
    for (const std::string start : {"GET /", "GET / HTTP/1.1\r\nX-Filler: "}) {
        const int connection = ConnectTo(receiver.Port());
        ASSERT_GE(connection, 0);
        // Far more than any head needs, and never the line feed that would end it.
        SendAll(connection, start + std::string(1024 * 1024, 'a'), 5s);
        EXPECT_TRUE(EndedByPeer(connection, 5s)) << "\"" << start << "...\" was still being read";
        close(connection);
    }
}

TEST(HostileBody, OtherMethodsAreRefusedWithoutReadingTheirBodies) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"), SmallCap());
    for (const std::string method : {"PUT", "DELETE", "PATCH", "OPTIONS"}) {
        const std::string head =
            method + " / HTTP/1.1\r\nHost: x\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n";
        EXPECT_EQ(StatusLine(Exchange(receiver.Port(), head + "3\r\nabc\r\n0\r\n\r\n")),
                  "HTTP/1.1 405 Method Not Allowed")
            << method;

        // A body past the cap, in chunks of 1 MiB: the receiver must stop taking it.
        const int connection = ConnectTo(receiver.Port());
        ASSERT_GE(connection, 0);
        const std::string chunk = "100000\r\n" + std::string(0x100000, 'B') + "\r\n";
        bool allSent = SendAll(connection, head);
        for (std::size_t sent = 0; allSent && sent <= kCap + 8 * 0x100000; sent += 0x100000) {
            allSent = SendAll(connection, chunk);
        }
        close(connection);
        EXPECT_FALSE(allSent) << method << ": a body past the cap was read whole";
    }
}

// Requests made of random bytes, and valid ones with bytes flipped, cut short or repeated:
// each is answered or its connection ended, within the receiver's limits, and the receiver
// goes on taking posts. Seeded, so a failure can be run again.
TEST(HostileBody, RandomAndMangledRequestsLeaveTheReceiverServing) {
    TestFolder folder;
    ServerLimits limits = SmallCap();
    limits.ioTimeout = std::chrono::milliseconds(200);
    limits.headDeadline = std::chrono::milliseconds(500);
    limits.requestDeadline = std::chrono::milliseconds(500);
    RunningReceiver receiver(folder.File("receiver.sqlite"), limits);
    const std::string body = kHeader + "A%20B&R1=C";
    const std::string valid = "POST /krn/import.asp HTTP/1.1\r\nHost: x\r\nContent-Type: " + kFormType +
                              "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    std::mt19937 random(20261207);
    const auto below = [&random](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    const std::string specials = std::string("\r\n\0 :%&=\x1b\x7f\xff", 12);
    for (int round = 0; round < 150; ++round) {
        std::string request;
        switch (round % 3) {
            case 0:
                for (std::size_t i = below(2048); i > 0; --i) {
                    request += static_cast<char>(below(256));
                }
                break;
            case 1:
                request = valid;
                for (std::size_t i = below(8) + 1; i > 0; --i) {
                    request[below(request.size())] =
                        below(2) ? specials[below(specials.size())] : static_cast<char>(below(256));
                }
                break;
            default:
                request = valid.substr(0, below(valid.size()));
                request += request.substr(below(request.size() + 1));
        }
        const int connection = ConnectTo(receiver.Port());
        ASSERT_GE(connection, 0) << "round " << round;
        SendAll(connection, request);
        shutdown(connection, SHUT_WR);
        EXPECT_TRUE(EndedByPeer(connection, std::chrono::seconds(5))) << "round " << round;
        close(connection);
    }
    const auto answer = receiver.Client().Post("/", body, kFormType.c_str());
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    EXPECT_EQ(answer->status, 200);
}

}  // namespace
}  // namespace receiver
