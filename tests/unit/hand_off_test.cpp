#include "import/hand_off.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fake/state.h"
#include "platform/shell.h"
#include "test_folder.h"

namespace {

using fake::Event;

class HandOffTest : public InTestFolder {
protected:
    const HandOff handOff_{"KRN", "202612720565", "http://127.0.0.1/krn/start.asp?externalQuoteImportID=202612720565"};
};

}  // namespace

TEST_F(HandOffTest, WithoutALaunchPageTheStartupLinkOpensAfterThreeSeconds) {
    EXPECT_TRUE(OpenWebProduct(handOff_));
    EXPECT_EQ(fake::Platform().events, (std::vector<Event>{Event::Pause(3000), Event::Shell(handOff_.startupLink)}));
    ASSERT_EQ(fake::Platform().shellRequests.size(), 1u);
    const auto& request = fake::Platform().shellRequests[0];
    EXPECT_EQ(request.parameters, "");
    EXPECT_EQ(request.directory, "");
    EXPECT_EQ(request.showCommand, platform::kShowNormal);
}

TEST_F(HandOffTest, ALaunchPageInTheBrowserPathOpensWithTheIdentifier) {
#ifdef _WIN32
    std::filesystem::create_directory("KRN");
#endif
    // Elsewhere this is a plain file of that name, which is what the program tests for.
    WriteBytes("KRN\\krn.hta", "<html></html>");
    EXPECT_TRUE(OpenWebProduct(handOff_));
    ASSERT_EQ(fake::Platform().shellRequests.size(), 1u);
    const auto& request = fake::Platform().shellRequests[0];
    EXPECT_EQ(request.file, "krn.hta");
    EXPECT_EQ(request.parameters, "externalQuoteImportID=202612720565");
    EXPECT_EQ(request.directory, "KRN");
    EXPECT_EQ(request.showCommand, platform::kShowRestore);
}

TEST_F(HandOffTest, TheShellsResultsUpTo32AreFailures) {
    fake::Platform().shellResult = 32;
    EXPECT_FALSE(OpenWebProduct(handOff_));
    fake::Platform().shellResult = 33;
    EXPECT_TRUE(OpenWebProduct(handOff_));
}
