#include <gtest/gtest.h>

#include "ui/compatibility_dialog.h"
#include "config/route_row.h"
#include "platform/fake/state.h"
#include "resource.h"
#include "test_folder.h"
#include "ui/main_dialog.h"

namespace {

class AgentWindowsTest : public InTestFolder {
protected:
    // Runs `window` modally with `user` playing the agent; returns the modal result.
    int RunModal(platform::Dialog& window, std::function<void(platform::Dialog&)> user) {
        fake::Platform().onModal = std::move(user);
        return window.DoModal();
    }
};

std::string Row(const std::string& company, const std::string& rater, const std::string& state,
                const std::string& product) {
    return route_row::Row(company, rater, state, product, "http://a.example", "UNDEFINED");
}

}  // namespace

TEST_F(AgentWindowsTest, TheCompatibilityListStopsAtTheFirstRowWithoutACompany) {
    WriteBytes("Route.dat", Row("HARBOR", "ITC", "IL", "AUTO") + ";\r\n" +
                                Row(std::string(20, ' '), "QQ", "OH", "HOME") + ";\r\n" + "SHORT ROW;\r\n" +
                                Row("LATER", "FSC", "WI", "NEVER SHOWN") + ";\r\n");
    CompatibilityDialog window;
    std::vector<std::string> entries;
    EXPECT_EQ(RunModal(window,
                       [&](platform::Dialog& w) {
                           entries = fake::ListEntries(w, IDC_COMPATIBILITY_LIST);
                           fake::SendCommand(w, platform::kIdOk);
                       }),
              1);
    EXPECT_EQ(entries, (std::vector<std::string>{"ITC   IL    " + std::string("AUTO") + std::string(56, ' '),
                                                 "QQ    OH    " + std::string("HOME") + std::string(56, ' ')}));
}

TEST_F(AgentWindowsTest, TheCompatibilityListReadsTheFileEachTimeItOpens) {
    WriteBytes("Route.dat", std::string(22, 'X') + ";\r\n");  // 20 to 24 characters: an entry of two blanks
    CompatibilityDialog first;
    std::vector<std::string> entries;
    RunModal(first, [&](platform::Dialog& w) { entries = fake::ListEntries(w, IDC_COMPATIBILITY_LIST); });
    EXPECT_EQ(entries, std::vector<std::string>{"  "});
    WriteBytes("Route.dat", Row("HARBOR", "ITC", "IL", std::string(40, 'P')).substr(0, 70) + ";\r\n");
    CompatibilityDialog second;
    RunModal(second, [&](platform::Dialog& w) { entries = fake::ListEntries(w, IDC_COMPATIBILITY_LIST); });
    EXPECT_EQ(entries, std::vector<std::string>{"ITC   IL    " + std::string(40, 'P')});
}

TEST_F(AgentWindowsTest, TheMainWindowAddsAboutToTheSystemMenuAndShowsItsIcon) {
    MainDialog window;
    window.versionText = "2.101020";
    std::vector<std::pair<int, std::string>> systemMenu;
    int icon = 0;
    RunModal(window, [&](platform::Dialog& w) {
        systemMenu = fake::SystemMenuCommands(w);
        icon = fake::ProgramIcon(w);
        EXPECT_EQ(w.ItemText(IDC_VERSION), "2.101020");
    });
    EXPECT_EQ(systemMenu, (std::vector<std::pair<int, std::string>>{{16, "&About Vantrel..."}}));
    EXPECT_EQ(icon, IDI_PROGRAM);

    fake::Platform().resourceStrings.clear();
    MainDialog withoutString;
    RunModal(withoutString, [&](platform::Dialog& w) { systemMenu = fake::SystemMenuCommands(w); });
    EXPECT_TRUE(systemMenu.empty());
}

TEST_F(AgentWindowsTest, MenuCommandsOpenTheirWindowsAndComeBack) {
    MainDialog window;
    std::vector<int> opened;
    const int result = RunModal(window, [&](platform::Dialog& main) {
        // Every window opened from here is closed at once by the nested runs below.
        fake::Platform().onModal = [&](platform::Dialog& inner) { opened.push_back(inner.TemplateId()); };
        fake::SendCommand(main, ID_SETUP_IMPORT);
        fake::SendCommand(main, ID_SETUP_COMPATIBILITY);
        fake::SendCommand(main, ID_HELP_ABOUT);
        fake::SendSysCommand(main, IDM_ABOUTBOX | 0x3);  // the low four bits are the system's
        fake::SendSysCommand(main, 0xF020);              // minimise: left to the system
        fake::SendCommand(main, ID_FILE_EXIT);
    });
    EXPECT_EQ(opened, (std::vector<int>{IDD_SETUP, IDD_COMPATIBILITY, IDD_ABOUT, IDD_ABOUT}));
    EXPECT_EQ(result, platform::kIdCancel);
}
