#include <gtest/gtest.h>

#include "config/import_settings.h"
#include "config/rater_choice.h"
#include "config/setup_check.h"
#include "ui/setup_dialog.h"
#include "platform/fake/state.h"
#include "resource.h"
#include "test_folder.h"
#include "ui/run_setup.h"

namespace {

SetupValues Valid() {
    SetupValues v;
    v.company = "Acme";
    v.serverPostFile = "krn/import.asp";
    v.krnLaunchFile = "krn/start.asp";
    v.serverAddress = "http://quotes.example";
    v.raterPosition = 1;
    return v;
}

// Presses Save until the values pass, collecting the messages; at most `limit` presses.
std::vector<std::string> PressSaveUntilClean(SetupValues& values, int limit = 10) {
    std::vector<std::string> messages;
    while (limit-- > 0) {
        const auto problem = CheckSetup(values, "C:\\APPS");
        if (!problem) break;
        messages.push_back(*problem);
    }
    return messages;
}

const char kNeedsHttp[] = "The server address must begin with http:// to be valid";
const char kTrailingSlash[] = "The server address does not need a trailing '/'";

}  // namespace

TEST(RaterChoice, MapsCodesAndPositionsBothWays) {
    const char* codes[] = {"FSC", "ITC", "MC", "QQ", "AAR", "QUO", "CCI", "QP"};
    for (int position = 1; position <= 8; ++position) {
        EXPECT_EQ(RaterPosition(codes[position - 1]), position);
        EXPECT_EQ(RaterCodeAt(position), codes[position - 1]);
    }
    for (const char* other : {"AUTO", "", "itc", "FSC "}) EXPECT_EQ(RaterPosition(other), 0) << other;
    for (int other : {0, -1, 9}) EXPECT_EQ(RaterCodeAt(other), "AUTO");
    EXPECT_STREQ(kRaterListTexts[0], "-- SELECT RATER --");
    EXPECT_STREQ(kRaterListTexts[8], "QUOTE PRO");
}

TEST(CheckSetup, ReportsOneProblemPerPressInOrder) {
    SetupValues v = Valid();
    v.raterPosition = 0;
    const SetupValues before = v;
    EXPECT_EQ(CheckSetup(v, "C:\\APPS"), "You must select a comparative rater");
    EXPECT_EQ(v.serverPostFile, before.serverPostFile);

    v = Valid();
    v.serverPostFile = "/krn/import.asp";
    v.krnLaunchFile = "//start.asp";
    EXPECT_EQ(PressSaveUntilClean(v), (std::vector<std::string>{"The Post Data file should not begin with a '/'",
                                                                "The KRN launch file should not begin with a '/'",
                                                                "The KRN launch file should not begin with a '/'"}));
    EXPECT_EQ(v.serverPostFile, "krn/import.asp");
    EXPECT_EQ(v.krnLaunchFile, "start.asp");
}

TEST(CheckSetup, AnEmptyHiddenServerAddressTakesFourPresses) {
    SetupValues v = Valid();
    v.serverAddress = "";
    EXPECT_EQ(PressSaveUntilClean(v),
              (std::vector<std::string>{kNeedsHttp, kTrailingSlash, kNeedsHttp, kTrailingSlash}));
    EXPECT_EQ(v.serverAddress, "http://http:");

    v = Valid();
    v.serverAddress = "see http://quotes.example";  // "http://" anywhere passes
    EXPECT_EQ(CheckSetup(v, "C:\\APPS"), std::nullopt);
}

TEST(CheckSetup, RefusesWhatTheSettingsFileCannotHold) {
    struct Case {
        std::string SetupValues::*field;
        const char* name;
    };
    const Case cases[] = {
        {&SetupValues::company, "Company"},
        {&SetupValues::serverPostFile, "Server Post File"},
        {&SetupValues::krnLaunchFile, "KRN Launch File"},
        {&SetupValues::qqPath, "QQ Path"},
        {&SetupValues::producerCode, "Producer Code"},
    };
    for (const Case& c : cases) {
        for (const char* bad : {"a;b", "a\rb", "a\nb"}) {
            SetupValues v = Valid();
            v.*c.field = bad;
            const auto problem = CheckSetup(v, "C:\\APPS");
            ASSERT_TRUE(problem) << c.name;
            EXPECT_EQ(problem->rfind(std::string("The ") + c.name + " field cannot hold", 0), 0u) << *problem;
            EXPECT_EQ(v.*c.field, bad);  // nothing is corrected: the agent decides
        }
    }
}

class SetupWindowTest : public InTestFolder {
protected:
    // Runs RunSetup with `user` playing the agent on the Setup window.
    int Run(ImportSettings& settings, std::function<void(platform::Dialog&)> user) {
        fake::Platform().onModal = std::move(user);
        return RunSetup(settings);
    }
    static void WriteSettings(const std::vector<std::string>& values) {
        std::string bytes;
        for (const std::string& v : values) bytes += v + ";\r\n";
        WriteBytes("Vantrel.dat", bytes);
    }
};

TEST_F(SetupWindowTest, ShowsTheRecordAndSavesTrimmedValuesWithTheWorkingDirectory) {
    WriteSettings(
        {"P7", "http://srv.example", "/post.asp", "start.asp", "  Acme  ", "", "C:\\OLD", "Y", "QQ", "AUTO PLUS"});
    ImportSettings settings;
    std::vector<std::string> shown;
    const int result = Run(settings, [&](platform::Dialog& window) {
        for (int id : {IDC_SETUP_COMPANY, IDC_SETUP_POST_FILE, IDC_SETUP_FOLDER, IDC_SETUP_PRODUCER_CODE}) {
            shown.push_back(window.ItemText(id));
        }
        shown.push_back(std::to_string(window.ItemCheck(IDC_SETUP_ITC)));
        shown.push_back(std::to_string(window.ListSelection(IDC_SETUP_RATER)));
        shown.push_back(fake::ListEntries(window, IDC_SETUP_RATER).at(4));
        fake::SendCommand(window, platform::kIdOk);  // Enter: nothing happens
        fake::Type(window, IDC_SETUP_QQ_PATH, "qq  ");
        fake::SendCommand(window, IDC_SETUP_SAVE);  // the post file's "/" is taken off
        fake::SendCommand(window, IDC_SETUP_SAVE);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, (std::vector<std::string>{"  Acme  ", "/post.asp", "C:\\OLD", "P7", "1", "4", "QUICK QUOTE"}));
    EXPECT_EQ(fake::Messages(), std::vector<std::string>{"The Post Data file should not begin with a '/'"});
    EXPECT_EQ(ReadBytes("Vantrel.dat"), "P7;\r\nhttp://srv.example;\r\npost.asp;\r\nstart.asp;\r\n  Acme;\r\nqq;\r\n" +
                                            folder_.string() + ";\r\nY;\r\nQQ;\r\nAUTO PLUS;\r\n");
    EXPECT_EQ(
        fake::Platform().copies,
        (std::vector<std::pair<std::string, std::string>>{{folder_.string() + "\\Vantrel.dat", "qq\\Vantrel.dat"}}));
}

TEST_F(SetupWindowTest, CancelAfterACorrectionChangesNothing) {
    WriteSettings({"", "", "/post.asp", "", "", "", "", "y", "itc", ""});
    const std::string before = ReadBytes("Vantrel.dat");
    ImportSettings settings;
    int raterShown = -1;
    const int result = Run(settings, [&](platform::Dialog& window) {
        raterShown = window.ListSelection(IDC_SETUP_RATER);
        EXPECT_EQ(window.ItemCheck(IDC_SETUP_ITC), 0);  // only "Y" ticks it
        window.SetListSelection(IDC_SETUP_RATER, 2);
        fake::SendCommand(window, IDC_SETUP_SAVE);
        EXPECT_EQ(window.ItemText(IDC_SETUP_POST_FILE), "post.asp");  // the correction is shown
        fake::SendCommand(window, platform::kIdCancel);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(raterShown, 0);
    EXPECT_EQ(settings.serverPostFile, "/post.asp");
    EXPECT_EQ(ReadBytes("Vantrel.dat"), before);
    EXPECT_TRUE(fake::Platform().copies.empty());
}

TEST_F(SetupWindowTest, AnOverlongValueFromTheFileIsRefusedAtSaveWithItsName) {
    WriteSettings({"", "http://srv.example", "", "", std::string(60, 'C'), "", "", "N", "FSC", ""});
    ImportSettings settings;
    bool stayedOpen = false;
    Run(settings, [&](platform::Dialog& window) {
        EXPECT_EQ(window.ItemText(IDC_SETUP_COMPANY).size(), 60u);  // shown whole
        fake::SendCommand(window, IDC_SETUP_SAVE);
        stayedOpen = fake::FocusedControl(window) == IDC_SETUP_COMPANY;
        fake::Type(window, IDC_SETUP_COMPANY, std::string(70, 'D'));  // typing stops at the limit
        fake::SendCommand(window, IDC_SETUP_SAVE);
    });
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(fake::Messages().size(), 1u);
    EXPECT_EQ(fake::Messages()[0], "Company holds 60 characters, but at most 50 fit. Please shorten it before saving.");
    EXPECT_EQ(settings.company, std::string(50, 'D'));
}

TEST_F(SetupWindowTest, ASemicolonIsRefusedAndTheWindowStaysOpen) {
    WriteSettings({"", "http://srv.example", "", "", "", "", "", "N", "FSC", ""});
    ImportSettings settings;
    const int result = Run(settings, [&](platform::Dialog& window) {
        fake::Type(window, IDC_SETUP_COMPANY, "Smith; Sons");
        fake::SendCommand(window, IDC_SETUP_SAVE);
        fake::SendCommand(window, platform::kIdCancel);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(fake::Messages().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists("Vantrel.dat.tmp"));
    EXPECT_EQ(ImportSettings().company, "");
}

TEST_F(SetupWindowTest, AnEmptyQqPathMakesNoCopy) {
    WriteSettings({"", "http://srv.example", "", "", "", "   ", "", "N", "FSC", ""});
    ImportSettings settings;
    Run(settings, [](platform::Dialog& window) { fake::SendCommand(window, IDC_SETUP_SAVE); });
    EXPECT_EQ(settings.qqPath, "");
    EXPECT_TRUE(fake::Platform().copies.empty());
    EXPECT_EQ(ImportSettings().raterCode, "FSC");
}

TEST_F(SetupWindowTest, ASaveThatCannotBeWrittenIsReportedAndTheWindowKeepsTheTyping) {
    WriteSettings({"", "http://srv.example", "", "", "Old Co", "qq", "", "N", "FSC", ""});
    const std::string before = ReadBytes("Vantrel.dat");
    std::filesystem::create_directory("Vantrel.dat.tmp");  // the new file cannot be made
    ImportSettings settings;
    std::string shownAfterFailure;
    const int result = Run(settings, [&](platform::Dialog& window) {
        fake::Type(window, IDC_SETUP_COMPANY, "New Co");
        fake::SendCommand(window, IDC_SETUP_SAVE);
        shownAfterFailure = window.ItemText(IDC_SETUP_COMPANY);
        std::filesystem::remove("Vantrel.dat.tmp");  // the agent deals with it
        fake::SendCommand(window, IDC_SETUP_SAVE);
    });
    ASSERT_EQ(fake::Messages().size(), 1u);
    EXPECT_EQ(fake::Messages()[0],
              "The settings could not be saved: Vantrel.dat could not be written. Another program may be holding "
              "it open, or the program folder may be read-only. Please close that program and press Save again.");
    EXPECT_EQ(shownAfterFailure, "New Co");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(settings.company, "New Co");
    EXPECT_NE(ReadBytes("Vantrel.dat"), before);
    EXPECT_EQ(fake::Platform().copies.size(), 1u);  // copied once, after the save that landed
}

TEST_F(SetupWindowTest, AFailedSaveThenCancelChangesNeitherTheFileNorTheRecord) {
    WriteSettings({"", "http://srv.example", "", "", "Old Co", "qq", "", "N", "FSC", ""});
    const std::string before = ReadBytes("Vantrel.dat");
    std::filesystem::create_directory("Vantrel.dat.tmp");
    ImportSettings settings;
    const int result = Run(settings, [&](platform::Dialog& window) {
        fake::Type(window, IDC_SETUP_COMPANY, "New Co");
        fake::SendCommand(window, IDC_SETUP_SAVE);
        fake::SendCommand(window, platform::kIdCancel);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(settings.company, "Old Co");
    EXPECT_EQ(ReadBytes("Vantrel.dat"), before);
    EXPECT_TRUE(fake::Platform().copies.empty());
}

TEST_F(SetupWindowTest, AProgramFolderWithASemicolonIsRefusedAndNothingChanges) {
    std::filesystem::create_directory("Agency;2");
    std::filesystem::current_path("Agency;2");
    WriteSettings({"", "http://srv.example", "", "", "Old Co", "", "", "N", "FSC", ""});
    const std::string before = ReadBytes("Vantrel.dat");
    ImportSettings settings;
    const int result = Run(settings, [](platform::Dialog& window) {
        fake::SendCommand(window, IDC_SETUP_SAVE);
        fake::SendCommand(window, platform::kIdCancel);
    });
    EXPECT_EQ(result, 2);
    ASSERT_EQ(fake::Messages().size(), 1u);
    EXPECT_EQ(fake::Messages()[0], "The program folder " + std::filesystem::current_path().string() +
                                       " has a ';' or a line break in its name: the settings file could "
                                       "not keep it. Please move Vantrel to a folder without one before "
                                       "saving.");
    EXPECT_EQ(ReadBytes("Vantrel.dat"), before);
    EXPECT_EQ(settings.vantrelFolder, "");
}
