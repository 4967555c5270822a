// Pages stay small whatever was posted: long field lists come a page at a time, long values
// are cut with a link to the whole raw body, which is served as a download.
#include <gtest/gtest.h>

#include "running_receiver.h"
#include "sample_posts.h"
#include "test_folder.h"

namespace receiver {
namespace {

TEST(BigPage, TheStartPageOfAHugePostStaysSmallAndLinksToTheWholeBody) {
    TestFolder folder;
    RunningReceiver receiver(folder.File("receiver.sqlite"));
    std::string body = "source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=7&fileGenName=" +
                       std::string(1024 * 1024, 'F');
    for (int slot = 0; slot < 3000; ++slot) {
        body += "&R" + std::to_string(slot) + "=" + (slot == 5 ? std::string(2 * 1024 * 1024, 'V') : "LINE");
    }
    auto client = receiver.Client();
    ASSERT_EQ(client.Post("/", body, kFormType.c_str())->status, 200);

    const auto page = client.Get("/krn/start.asp?externalQuoteImportID=7");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_LT(page->body.size(), 256u * 1024u);
    EXPECT_NE(page->body.find("<a href=\"/?import=1&amp;raw=1\">"), std::string::npos);
    EXPECT_NE(page->body.find("<a href=\"/?import=1&amp;page=2\">"), std::string::npos);

    const auto second = client.Get("/?import=1&page=2");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->status, 200);
    EXPECT_LT(second->body.size(), 256u * 1024u);

    const auto raw = client.Get("/?import=1&raw=1");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->status, 200);
    EXPECT_EQ(raw->get_header_value("Content-Disposition").rfind("attachment", 0), 0u);
    EXPECT_TRUE(raw->body == body) << "the download is not the body as posted";
}

}  // namespace
}  // namespace receiver
