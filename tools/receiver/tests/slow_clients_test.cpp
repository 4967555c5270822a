// Clients that hold connections open without finishing a request: idle ones, ones that send
// their head a byte at a time, ones that send their body a byte at a time. Quote posts must
// still be answered while they are there, and each must be ended by the receiver's deadlines.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "running_receiver.h"
#include "sample_posts.h"
#include "test_folder.h"

namespace receiver {
namespace {

using namespace std::chrono_literals;

// Sends one byte every 200 ms on each connection added (a pace no read time-out ends) until
// stopped, and at most for 15 s.
class Trickler {
public:
    Trickler() : thread_([this] { Run(); }) {}
    ~Trickler() {
        stop_ = true;
        thread_.join();
    }

    void Add(int connection) {
        std::lock_guard<std::mutex> hold(lock_);
        connections_.push_back(connection);
    }

private:
    void Run() {
        const auto until = std::chrono::steady_clock::now() + 15s;
        while (!stop_ && std::chrono::steady_clock::now() < until) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                for (const int connection : connections_) {
                    send(connection, "a", 1, MSG_DONTWAIT | MSG_NOSIGNAL);
                }
            }
            std::this_thread::sleep_for(200ms);
        }
    }

    std::mutex lock_;
    std::vector<int> connections_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The receiver's limits with these times: silence, idle, head, request.
ServerLimits Times(std::chrono::seconds io, std::chrono::seconds idle, std::chrono::seconds head,
                   std::chrono::seconds request) {
    ServerLimits limits;
    limits.ioTimeout = io;
    limits.idleTimeout = idle;
    limits.headDeadline = head;
    limits.requestDeadline = request;
    return limits;
}

TEST(SlowClients, PostsAreServedWhileFiftySlowConnectionsAreOpenAndEachSlowOneIsEnded) {
    TestFolder folder;
    // Deadlines of seconds, as the receiver's own, but shorter so the test is.
    RunningReceiver receiver(folder.File("receiver.sqlite"), Times(1s, 2s, 2s, 2s));

    std::vector<int> slow;
    Trickler trickler;
    for (int i = 0; i < 50; ++i) {
        const int connection = ConnectTo(receiver.Port());
        ASSERT_GE(connection, 0);
        slow.push_back(connection);
        if (i % 3 == 1) {
            ASSERT_TRUE(SendAll(connection, "POST / HTTP/1.1\r\nHost: x\r\nX-Slow: "));
            trickler.Add(connection);
        } else if (i % 3 == 2) {
            ASSERT_TRUE(SendAll(connection, "POST / HTTP/1.1\r\nHost: x\r\nContent-Type: " + kFormType +
                                                "\r\nContent-Length: 100000\r\n\r\nsource="));
            trickler.Add(connection);
        }
    }

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

// A stop does not wait for the deadlines of requests that have not begun or whose head is
// still coming: they are given up.
TEST(SlowClients, StopDoesNotWaitForIdleOrHalfSentRequests) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"), Times(20s, 20s, 20s, 60s));
    const int idle = ConnectTo(receiver.Port());
    const int halfSent = ConnectTo(receiver.Port());
    ASSERT_GE(idle, 0);
    ASSERT_GE(halfSent, 0);
    ASSERT_TRUE(SendAll(halfSent, "POST / HTTP/1.1\r\nHost: x\r\n"));
    // Both are being answered once the receiver still answers others.
    ASSERT_EQ(receiver.Client().Get("/")->status, 200);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(receiver.Stop());
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count(), 10)
        << "seconds Stop took";
    EXPECT_TRUE(EndedByPeer(idle, 1s));
    EXPECT_TRUE(EndedByPeer(halfSent, 1s));
    close(idle);
    close(halfSent);
}

}  // namespace
}  // namespace receiver
