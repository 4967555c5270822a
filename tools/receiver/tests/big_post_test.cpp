// A post of hundreds of thousands of fields takes a while to store; pages asked for meanwhile
// must not wait for it.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "running_receiver.h"
#include "sample_posts.h"
#include "test_folder.h"

namespace receiver {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string ManyFieldsBody(int count) {
    std::string body = "source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=big&fileGenName=big.sti";
    for (int i = 0; i < count; ++i) {
        body += "&R" + std::to_string(i % 100) + "=A";
    }
    return body;
}

TEST(BigPost, PagesAreAnsweredWhileABigPostIsStored) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));
    auto client = receiver.Client();
    ASSERT_EQ(client.Post("/", "source=Vantrel20&R0=small", kFormType.c_str())->status, 200);
    const std::string body = ManyFieldsBody(250 * 1000);

    auto big = std::async(std::launch::async, [&] {
        auto bigClient = receiver.Client();
        bigClient.set_read_timeout(120);
        const auto started = Clock::now();
        const auto answer = bigClient.Post("/", body, kFormType.c_str());
        return std::make_pair(answer ? answer->status : -1, Clock::now() - started);
    });
    int pages = 0;
    Clock::duration longestWait{};
    const auto giveUp = Clock::now() + 120s;
    while (big.wait_for(5ms) != std::future_status::ready && Clock::now() < giveUp) {
        auto pageClient = receiver.Client();
        pageClient.set_read_timeout(120);
        const auto started = Clock::now();
        const auto page = pageClient.Get("/?import=1");
        longestWait = std::max(longestWait, Clock::now() - started);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->status, 200);
        ++pages;
    }
    ASSERT_EQ(big.wait_for(1s), std::future_status::ready);
    const auto [status, bigTook] = big.get();

    EXPECT_EQ(status, 200);
    EXPECT_GE(pages, 5);
    // Relative, not a time target: before, one page waited for most of the big post's storing.
    const auto milliseconds = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    EXPECT_LT(milliseconds(longestWait), milliseconds(bigTook) / 4)
        << "longest page wait against the time the big post took, in ms";
    EXPECT_EQ(receiver.Store().Count(), 2);
}

}  // namespace
}  // namespace receiver
