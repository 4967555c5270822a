// Clients that hold connections open without finishing a request: idle ones, ones that send
// their head a byte at a time, ones that send their body a byte at a time. Quote posts must
// still be answered while they are there, and each must be ended by the receiver's deadlines.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "running_receiver.h"
#include "test_folder.h"

namespace receiver {
namespace {

using namespace std::chrono_literals;

const std::string kFormType = "application/x-www-form-urlencoded";

// Sends one byte every 200 ms on each connection (a pace no read time-out ends) until
// stopped, and at most for 15 s.
class Trickler {
public:
    explicit Trickler(std::vector<int> connections)
        : connections_(std::move(connections)), thread_([this] { Run(); }) {}
    ~Trickler() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        const auto until = std::chrono::steady_clock::now() + 15s;
        while (!stop_ && std::chrono::steady_clock::now() < until) {
            for (const int connection : connections_) {
                send(connection, "a", 1, MSG_DONTWAIT | MSG_NOSIGNAL);
            }
            std::this_thread::sleep_for(200ms);
        }
    }

    std::vector<int> connections_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(SlowClients, PostsAreServedWhileFiftySlowConnectionsAreOpenAndEachSlowOneIsEnded) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));

    std::vector<int> slow;
    std::vector<int> trickled;
    for (int i = 0; i < 50; ++i) {
        const int connection = ConnectTo(receiver.Port());
        ASSERT_GE(connection, 0);
        slow.push_back(connection);
        if (i % 3 == 1) {
            ASSERT_TRUE(SendAll(connection, "POST / HTTP/1.1\r\nHost: x\r\nX-Slow: "));
            trickled.push_back(connection);
        } else if (i % 3 == 2) {
            ASSERT_TRUE(SendAll(connection, "POST / HTTP/1.1\r\nHost: x\r\nContent-Type: " + kFormType +
                                                "\r\nContent-Length: 100000\r\n\r\nsource="));
            trickled.push_back(connection);
        }
    }
    Trickler trickler(trickled);

    for (int post = 0; post < 5; ++post) {
        auto client = receiver.Client();
        client.set_read_timeout(3);
        const auto answer = client.Post("/", "source=Vantrel20&R0=" + std::to_string(post), kFormType.c_str());
        ASSERT_TRUE(answer) << "post " << post << ": " << httplib::to_string(answer.error());
        EXPECT_EQ(answer->status, 200) << answer->body;
    }
    EXPECT_EQ(receiver.Store().Count(), 5);
    std::size_t open = 0;
    for (const int connection : slow) {
        open += StillOpen(connection) ? 1 : 0;
    }
    EXPECT_EQ(open, slow.size()) << "the posts were not served while all slow connections were open";

    // One bound for all of them: each must be ended by the receiver's deadlines.
    const auto until = std::chrono::steady_clock::now() + 10s;
    std::size_t ended = 0;
    for (const int connection : slow) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        ended += EndedByPeer(connection, std::max(left, 0ms)) ? 1 : 0;
        close(connection);
    }
    EXPECT_EQ(ended, slow.size());
}

}  // namespace
}  // namespace receiver
