// The store promises that its file can be read with any SQLite tool while the receiver runs:
// the sqlite3 shell holds a read transaction open while quote posts are stored.
#include <gtest/gtest.h>

#include "child_process.h"
#include "running_receiver.h"
#include "sample_posts.h"
#include "test_folder.h"

namespace receiver {
namespace {

using namespace std::chrono_literals;

TEST(OutsideReader, PostsAreStoredWhileTheSqliteShellHoldsAReadTransaction) {
    TestFolder folder;
    const std::string path = folder.File("receiver.sqlite");
    RunningReceiver receiver(path);
    auto client = receiver.Client();
    ASSERT_EQ(client.Post("/", "source=Vantrel20&R0=first", kFormType.c_str())->status, 200);

    ChildProcess shell({"sqlite3", "-batch", path});
    ASSERT_TRUE(shell.Write("BEGIN;\nSELECT count(*) FROM imports;\n"));
    ASSERT_EQ(shell.ReadLine(10s), "1");

    client.set_read_timeout(30);
    for (int post = 0; post < 3; ++post) {
        const auto answer = client.Post("/", "source=Vantrel20&R0=" + std::to_string(post), kFormType.c_str());
        ASSERT_TRUE(answer) << httplib::to_string(answer.error());
        EXPECT_EQ(answer->status, 200) << answer->body;
    }
    // Still inside its transaction, the shell sees the file as it was when the transaction began.
    ASSERT_TRUE(shell.Write("SELECT count(*) FROM imports;\n"));
    EXPECT_EQ(shell.ReadLine(10s), "1");
    ASSERT_TRUE(shell.Write("COMMIT;\nSELECT count(*) FROM imports;\n.quit\n"));
    EXPECT_EQ(shell.ReadLine(10s), "4");
    EXPECT_EQ(shell.Wait(10s), 0);
}

}  // namespace
}  // namespace receiver
