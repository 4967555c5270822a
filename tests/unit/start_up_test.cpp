#include "app/start_up.h"

#include <gtest/gtest.h>

#include "platform/fake/state.h"
#include "config/tove_folder.h"
#include "fake_log.h"
#include "resource.h"
#include "test_folder.h"

namespace {

using fake::Event;

class StartUpTest : public InTestFolder {
protected:
    void Start(const std::string& arguments) {
        fake::Platform().arguments = arguments;
        StartUp();
    }
    void Configure(const std::string& rater) {
        WriteBytes("Vantrel.dat", ";\r\n;\r\n;\r\n;\r\n;\r\n;\r\n;\r\nN;\r\n" + rater + ";\r\n;\r\n");
    }
    static std::string LogOf(std::vector<std::string> lines) {
        lines.resize(20);
        std::string bytes;
        for (const std::string& line : lines) bytes += line + "\r\n";
        return bytes;
    }
    // What the agent could see: the log without the pauses of file reads.
    static std::vector<Event> Events() { return EventsBesidesPauses(); }
};

}  // namespace

TEST_F(StartUpTest, WithoutArgumentsTheMainWindowOpensAndTheLogHoldsThreeLines) {
    std::string versionShown;
    fake::Platform().onModal = [&](platform::Dialog& dialog) { versionShown = fake::ControlText(dialog, IDC_VERSION); };
    Start("");

    EXPECT_EQ(ReadBytes("vantrel.log"),
              LogOf({"Executable Name = VANTREL", "Command line parameters = ", "Version number = 2.101020"}));
    EXPECT_EQ(fake::Platform().workingDirectoryRequests, std::vector<std::string>{"C:\\APPS\\VANTREL"});
    EXPECT_EQ(fake::Platform().createdFolders, std::vector<std::string>{"c:\\Program Files\\TOVE"});
    EXPECT_EQ(fake::Platform().dialogColourRed, 200);
    EXPECT_EQ(fake::Platform().dialogColourGreen, 225);
    EXPECT_EQ(fake::Platform().dialogColourBlue, 225);
    EXPECT_TRUE(fake::Platform().commonControlsRegistered);
    EXPECT_TRUE(fake::Messages().empty());
    EXPECT_EQ(versionShown, "2.101020");
    EXPECT_EQ(Events().front(), Event::Modal(IDD_MAIN));
    EXPECT_EQ(Events().back(), Event::End(IDD_MAIN, platform::kIdCancel));
}

TEST_F(StartUpTest, AMissingExportFileAbortsAndKeepsThePreviousLog) {
    Configure("FSC");
    WriteBytes("vantrel.log", "previous start\r\n");
    Start("c:\\nowhere\\quote.txt");
    EXPECT_EQ(fake::Messages(),
              std::vector<std::string>{"The passed file C:\\NOWHERE\\QUOTE.TXT could not be found!! Aborting..."});
    EXPECT_EQ(ReadBytes("vantrel.log"), "previous start\r\n");
    EXPECT_EQ(Events(), std::vector<Event>{Event::Message(fake::Messages()[0])});
}

TEST_F(StartUpTest, ARaterStartShowsTheStatusWindowInOrder) {
    Configure("FSC");
    WriteBytes("Q.TXT", "\"1\",\"A\"\r\n");
    Start("q.txt/x");

    // Without a space before the slash the final cut takes the path's last letter too.
    EXPECT_EQ(fake::Messages(), std::vector<std::string>{"The passed file Q.TX could not be found!! Aborting..."});
    fake::Reset();
    Configure("FSC");
    Start("q.txt /x");
    EXPECT_EQ(ReadBytes("vantrel.log"), LogOf({"Executable Name = VANTREL", "Command line parameters = Q.TXT /X",
                                               "Comparative Rater FORCE = FSC", "Version number = 2.101020"}));
    // The window is made, prepared, filled and shown before the import runs in it, and
    // destroyed once the import is over.
    const std::vector<Event> beforeImport = {
        Event::Create(IDD_STATUS),
        Event::Text(IDD_STATUS, IDC_STATUS_PROGRESS, "Importing file Q.TXT"),
        Event::Text(IDD_STATUS, IDC_VERSION, "..."),
        Event::Repaint(IDD_STATUS),
        Event::Text(IDD_STATUS, IDC_STATUS_RATER, "FSC"),
        Event::Show(IDD_STATUS),
        Event::Repaint(IDD_STATUS),
    };
    const std::vector<Event> events = Events();
    ASSERT_GT(events.size(), beforeImport.size());
    EXPECT_EQ(std::vector<Event>(events.begin(), events.begin() + beforeImport.size()), beforeImport);
    EXPECT_EQ(events[beforeImport.size()], Event::Text(IDD_STATUS, IDC_STATUS_PROGRESS, "Writing Export Log..."));
    EXPECT_EQ(events.back(), Event::Destroy(IDD_STATUS));
}

TEST_F(StartUpTest, AnUnknownRaterWarnsThenOpensTheMainWindowWithoutCheckingTheFile) {
    Configure("AUTO");
    Start("c:\\nowhere\\quote.txt");
    EXPECT_EQ(Events(), (std::vector<Event>{Event::Message("Error - AUTO DETECT must be turned off in version 2.0"),
                                            Event::Modal(IDD_MAIN), Event::Text(IDD_MAIN, IDC_MAIN_FILE, ""),
                                            Event::Text(IDD_MAIN, IDC_VERSION, "2.101020"),
                                            Event::End(IDD_MAIN, platform::kIdCancel)}));
    EXPECT_EQ(ReadBytes("vantrel.log"),
              LogOf({"Executable Name = VANTREL", "Command line parameters = C:\\NOWHERE\\QUOTE.TXT",
                     "Comparative Rater = ", "Version number = 2.101020"}));
}

TEST_F(StartUpTest, ADaredeProgramMakesNoToveFolder) {
    fake::Platform().appName = "Darede";
    fake::Platform().modulePath = "C:\\QQ\\Darede.exe";
    Start("");
    EXPECT_TRUE(fake::Platform().createdFolders.empty());
    EXPECT_EQ(fake::Platform().workingDirectoryRequests, std::vector<std::string>{"C:\\QQ"});
    EXPECT_EQ(ReadBytes("vantrel.log").substr(0, 26), "Executable Name = DAREDE\r\n");
}

TEST_F(StartUpTest, TheMainWindowsImportCommandOnlyShowsAMessage) {
    fake::Platform().onModal = [](platform::Dialog& dialog) { fake::SendCommand(dialog, platform::kIdOk); };
    Start("");
    EXPECT_EQ(fake::Messages(), std::vector<std::string>{"Importing"});
    EXPECT_EQ(Events().back(), Event::End(IDD_MAIN, platform::kIdOk));
}

TEST_F(StartUpTest, AFileFoundOnlyInTheFallBackFolderIsImportedFromThere) {
    Configure("QUO");
    const std::string fallBack = std::string(kToveFolder) + "\\Q.TXT";
#ifdef _WIN32
    std::filesystem::create_directories(kToveFolder);
#endif
    // Elsewhere this is a plain file of that name, which is what the program looks for.
    WriteBytes(fallBack, "LINE ONE\n");
    Start("q.txt");
    std::filesystem::remove(fallBack);

    EXPECT_TRUE(fake::Messages().empty());
    EXPECT_EQ(TextsShown(IDD_STATUS, IDC_STATUS_PROGRESS).at(0), "Importing file " + fallBack);
    ASSERT_EQ(fake::Platform().posts.size(), 1u);
    EXPECT_NE(fake::Platform().posts[0].body.find("&R0=LINE%20ONE"), std::string::npos);
    EXPECT_NE(ReadBytes("export.log").find("\r\nR0=LINE ONE\r\n"), std::string::npos);
    EXPECT_EQ(ReadBytes("vantrel.log"), LogOf({"Executable Name = VANTREL", "Command line parameters = Q.TXT",
                                               "Comparative Rater FORCE = QUO", "Version number = 2.101020"}));
}
