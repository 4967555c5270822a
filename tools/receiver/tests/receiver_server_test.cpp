// The real server on 127.0.0.1, on a port the system picks, spoken to over HTTP.
#include "receiver_server.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <future>
#include <sstream>
#include <thread>

#include "running_receiver.h"
#include "sample_posts.h"
#include "store_readback.h"
#include "test_folder.h"

namespace receiver {
namespace {

using namespace std::chrono_literals;

std::string QqBody(const std::string& id, const std::string& fieldPart) {
    return "source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=" + id + "&fileGenName=" + id + ".sti" +
           fieldPart;
}

TEST(ReceiverServer, PostThenStartPageThenIndexOverRealHttp) {
    TestFolder folder;
    const std::string path = folder.File("receiver.sqlite");
    RunningReceiver receiver(path);
    auto client = receiver.Client();

    const auto posted = client.Post("/krn/import.asp", kFscBody, kFormType.c_str());
    ASSERT_TRUE(posted) << httplib::to_string(posted.error());
    EXPECT_EQ(posted->status, 200);
    EXPECT_EQ(posted->body, "OK: stored as import 1\n");

    const auto start = client.Get("/krn/start.asp?externalQuoteImportID=202612720565");
    ASSERT_TRUE(start) << httplib::to_string(start.error());
    EXPECT_EQ(start->status, 200);
    EXPECT_EQ(start->get_header_value("Content-Type"), "text/html; charset=windows-1252");
    EXPECT_NE(start->body.find("<tr><td>4</td><td>2</td><td>1</td><td>3</td><td>F-150 (4X4| XLT)</td></tr>"),
              std::string::npos);
    EXPECT_NE(start->body.find("<td>202612720565.sti</td>"), std::string::npos);

    const auto index = client.Get("/");
    ASSERT_TRUE(index) << httplib::to_string(index.error());
    EXPECT_EQ(index->status, 200);
    EXPECT_NE(index->body.find("<a href=\"/?externalQuoteImportID=202612720565\">202612720565</a>"), std::string::npos);

    const auto linked = client.Get("/?externalQuoteImportID=202612720565");
    ASSERT_TRUE(linked);
    EXPECT_EQ(linked->status, 200);

    const auto unknown = client.Get("/krn/start.asp?externalQuoteImportID=111");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
    EXPECT_NE(unknown->body.find("No import was posted with externalQuoteImportID <code>111</code>"),
              std::string::npos);

    const auto elsewhere = client.Get("/favicon.ico");
    ASSERT_TRUE(elsewhere);
    EXPECT_EQ(elsewhere->status, 404);

    EXPECT_TRUE(receiver.Stop());
    const std::string log = receiver.Log();
    EXPECT_NE(log.find("127.0.0.1 POST /krn/import.asp 200 " + std::to_string(kFscBody.size()) +
                       " bytes - OK: stored as import 1\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("GET /krn/start.asp?externalQuoteImportID=111 404\n"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 6) << log;

    ImportStore reopened(path);
    const auto stored = ReadWholeByExternalId(reopened, "202612720565");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].body.text, kFscBody);
    EXPECT_EQ(stored[0].path.text, "/krn/import.asp");
    EXPECT_EQ(stored[0].recordFields.size(), 10u);
}

TEST(ReceiverServer, TakesAnHttp10PostAsVantrelSendsIt) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));
    const std::string body = QqBody("202612720570",
                                    "&R0=M\xDCLLER%20\xC9"
                                    "COLE&R3=A=B+C?D/E|(F)");
    const std::string request =
        "POST /cgi/post.asp HTTP/1.0\r\nContent-Type: " + kFormType +
        "\r\nUser-Agent: Vantrel\r\nHost: 127.0.0.1\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nPragma: no-cache\r\n\r\n" + body;

    const int connection = ConnectTo(receiver.Port());
    ASSERT_GE(connection, 0);
    ASSERT_TRUE(SendAll(connection, request));
    const std::string answer = ReadUntilClosed(connection);
    close(connection);

    EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << answer;
    EXPECT_NE(answer.find("\r\n\r\nOK: stored as import 1\n"), std::string::npos) << answer;
    const auto stored = ReadWholeByExternalId(receiver.Store(), "202612720570");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].body.text, body);
    EXPECT_EQ(stored[0].path.text, "/cgi/post.asp");
    ASSERT_EQ(stored[0].lineFields.size(), 2u);
    EXPECT_EQ(stored[0].lineFields[0].text.text,
              "M\xDCLLER \xC9"
              "COLE");
    EXPECT_EQ(stored[0].lineFields[1].slot, 3);
    EXPECT_EQ(stored[0].lineFields[1].text.text, "A=B+C?D/E|(F)");
}

TEST(ReceiverServer, ALongExportIsStoredWhole) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));
    std::string fieldPart;
    for (int slot = 0; slot < 5000; ++slot) {
        fieldPart += "&R" + std::to_string(slot) + "=LINE%20" + std::to_string(slot) + "%20OF%20THE%20EXPORT";
    }
    const std::string body = QqBody("202612720571", fieldPart);
    ASSERT_GT(body.size(), 100000u);

    const auto posted = receiver.Client().Post("/", body, kFormType.c_str());
    ASSERT_TRUE(posted) << httplib::to_string(posted.error());
    EXPECT_EQ(posted->status, 200) << posted->body;

    const auto stored = ReadWholeByExternalId(receiver.Store(), "202612720571");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].body.text, body);
    ASSERT_EQ(stored[0].lineFields.size(), 5000u);
    EXPECT_EQ(stored[0].lineFields[4999].text.text, "LINE 4999 OF THE EXPORT");
}

TEST(ReceiverServer, AMalformedPostIsStoredRawFlaggedAndAnswered200) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));
    const std::string body = "source=Vantrel20&rater=FSC&R0=1,1,SMITH";

    const auto posted = receiver.Client().Post("/any/where", body, kFormType.c_str());
    ASSERT_TRUE(posted) << httplib::to_string(posted.error());
    EXPECT_EQ(posted->status, 200);
    EXPECT_EQ(posted->body.rfind("OK: stored as import 1, flagged malformed: missing header field xversion", 0), 0u)
        << posted->body;

    const auto stored = ReadWhole(receiver.Store(), 1);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->body.text, body);
    EXPECT_TRUE(stored->malformed);
    EXPECT_NE(stored->malformedReason.find("not the 4 comma-separated parts"), std::string::npos);

    const auto page = receiver.Client().Get("/?import=1");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("<pre>source=Vantrel20&amp;rater=FSC&amp;R0=1,1,SMITH</pre>"), std::string::npos);
    const auto missing = receiver.Client().Get("/?import=2");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST(ReceiverServer, AnEmptyPostIsStoredToo) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));

    const auto posted = receiver.Client().Post("/", "", kFormType.c_str());
    ASSERT_TRUE(posted) << httplib::to_string(posted.error());
    EXPECT_EQ(posted->status, 200);
    EXPECT_EQ(posted->body, "OK: stored as import 1, flagged malformed: empty body\n");
    EXPECT_EQ(receiver.Store().Count(), 1);
}

TEST(ReceiverServer, AMultipartPostIsRefusedAndNotStored) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));
    const httplib::MultipartFormDataItems items = {{"source", "Vantrel20", "", ""}};

    const auto posted = receiver.Client().Post("/", items);
    ASSERT_TRUE(posted) << httplib::to_string(posted.error());
    EXPECT_EQ(posted->status, 415);
    EXPECT_EQ(receiver.Store().Count(), 0);
}

TEST(ReceiverServer, PostsArrivingTogetherAreAllKept) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));
    constexpr int kSenders = 6;
    constexpr int kPostsEach = 5;
    std::vector<std::future<int>> senders;
    for (int sender = 0; sender < kSenders; ++sender) {
        senders.push_back(std::async(std::launch::async, [&receiver, sender] {
            int answered = 0;
            auto client = receiver.Client();
            for (int post = 0; post < kPostsEach; ++post) {
                const std::string id = std::to_string(sender) + "-" + std::to_string(post);
                const auto result = client.Post("/", QqBody(id, "&R0=" + id), kFormType.c_str());
                answered += (result && result->status == 200) ? 1 : 0;
            }
            return answered;
        }));
    }
    int answered = 0;
    for (auto& sender : senders) {
        ASSERT_EQ(sender.wait_for(30s), std::future_status::ready);
        answered += sender.get();
    }

    EXPECT_EQ(answered, kSenders * kPostsEach);
    EXPECT_EQ(receiver.Store().Count(), kSenders * kPostsEach);
    for (int sender = 0; sender < kSenders; ++sender) {
        for (int post = 0; post < kPostsEach; ++post) {
            const std::string id = std::to_string(sender) + "-" + std::to_string(post);
            const auto stored = ReadWholeByExternalId(receiver.Store(), id);
            ASSERT_EQ(stored.size(), 1u) << id;
            ASSERT_EQ(stored[0].lineFields.size(), 1u) << id;
            EXPECT_EQ(stored[0].lineFields[0].text.text, id);
        }
    }
}

TEST(ReceiverServer, StopEndsServeWhenAskedBeforeOrJustAfterItStarts) {
    TestFolder folder;
    ImportStore store(folder.File("receiver.sqlite"));
    std::ostringstream log;
    ServerLimits limits;
    limits.workerThreads = 2;
    {
        ReceiverServer server(log, limits);
        ASSERT_GT(server.Bind("127.0.0.1", 0), 0);
        server.Stop();
        auto serving = std::async(std::launch::async, [&] { return server.Serve(store); });
        EXPECT_TRUE(FinishServing(serving, 5s));
    }
    // A stop racing with the start of Serve must never be lost.
    for (int round = 0; round < 20; ++round) {
        ReceiverServer server(log, limits);
        ASSERT_GT(server.Bind("127.0.0.1", 0), 0);
        auto serving = std::async(std::launch::async, [&] { return server.Serve(store); });
        if (round % 2 == 1) {
            std::this_thread::sleep_for(1ms);
        }
        server.Stop();
        EXPECT_TRUE(FinishServing(serving, 5s)) << "round " << round;
    }
}

// Two receivers on one port would each get some of the posts.
TEST(ReceiverServer, APortAlreadyTakenCannotBeBound) {
    TestFolder folder;
    RunningReceiver first(folder.File("first.sqlite"));
    std::ostringstream log;
    ReceiverServer second(log);

    EXPECT_EQ(second.Bind("127.0.0.1", first.Port()), -1);
    EXPECT_EQ(second.Bind("not an address", 0), -1);
}

TEST(ReceiverServer, UtcTimestampsHaveMilliseconds) {
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {1796676965123, "2026-12-07T20:56:05.123Z"},
        {915246245007, "1999-01-02T03:04:05.007Z"},
        {0, "1970-01-01T00:00:00.000Z"},
    };
    for (const auto& [millis, expected] : cases) {
        EXPECT_EQ(UtcTimestamp(std::chrono::system_clock::time_point(std::chrono::milliseconds(millis))), expected);
    }
}

}  // namespace
}  // namespace receiver
