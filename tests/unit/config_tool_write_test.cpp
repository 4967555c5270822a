// Files the configuration tool writes: read back by the program's own record and route table
// to the values given, passing the tool's own check, and never half-made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/import_settings.h"
#include "config/route_table.h"
#include "config_tool/tool_command.h"
#include "config_tool/tool_run.h"
#include "test_folder.h"

namespace {

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

class ConfigToolTest : public InTestFolder {
protected:
    static ToolResult Run(const std::vector<std::string>& arguments) {
        const auto parsed = ParseToolCommand(arguments);
        if (const auto* problem = std::get_if<std::string>(&parsed)) return {kToolBadInput, "", *problem};
        std::ostringstream out, err;
        const int status = RunTool(std::get<ToolCommand>(parsed), out, err);
        return {status, out.str(), err.str()};
    }

    static ToolResult WriteDemoRoutes() {
        return Run({"--write-routes", "PRoute.dat", "--site-mode", "LIVE", "--route", "DEMO MUTUAL", "FSC", "IL",
                    "DEMO AUTO", "http://127.0.0.1", "UNDEFINED", "--route", "DEMO MUTUAL", "ITC", "IN", "DEMO HOME",
                    "https://quotes.demo.example", "C:\\KRN\\DEMO"});
    }

    static std::vector<std::string> DemoSettings(std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = {"--write-settings", "Vantrel.dat",   "--rater",     "FSC",
                                              "--product",        "DEMO AUTO",     "--post-file", "krn/import.asp",
                                              "--launch-file",    "krn/start.asp", "--company",   "Demo Agency",
                                              "--qq-path",        "C:\\QQ",        "--routes",    "PRoute.dat"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    }
};

}  // namespace

TEST_F(ConfigToolTest, WrittenFilesReadBackThroughTheProgramsOwnRecordAndRoutes) {
    ASSERT_EQ(WriteDemoRoutes().status, kToolSound);
    const ToolResult written =
        Run(DemoSettings({"--producer-code", "P-17", "--use-itc-zavezuda", "--server-address", "http://agency"}));
    ASSERT_EQ(written.status, kToolSound) << written.out << written.err;

    const ImportSettings settings(ReadBytes("Vantrel.dat"));
    EXPECT_EQ(settings.producerCode, "P-17");
    EXPECT_EQ(settings.serverAddress, "http://agency");
    EXPECT_EQ(settings.serverPostFile, "krn/import.asp");
    EXPECT_EQ(settings.krnLaunchFile, "krn/start.asp");
    EXPECT_EQ(settings.company, "Demo Agency");
    EXPECT_EQ(settings.qqPath, "C:\\QQ");
    EXPECT_EQ(settings.vantrelFolder, "");
    EXPECT_EQ(settings.useItcZavezuda, "Y");
    EXPECT_EQ(settings.raterCode, "FSC");
    EXPECT_EQ(settings.productName, "DEMO AUTO");

    RouteTable routes{ReadBytes("PRoute.dat")};
    EXPECT_EQ(routes.SiteMode(), "LIVE");
    EXPECT_EQ(routes.FindServer("DEMO AUTO"), "http://127.0.0.1");
    EXPECT_EQ(routes.FindBrowserPath("DEMO AUTO"), "UNDEFINED");
    EXPECT_EQ(routes.FindServer("DEMO HOME"), "https://quotes.demo.example");
    EXPECT_EQ(routes.FindBrowserPath("DEMO HOME"), "C:\\KRN\\DEMO");
    // Exactly as the program's own save lays a record out, and rows from value 93 on.
    EXPECT_EQ(ReadBytes("Vantrel.dat"), ImportSettings(ReadBytes("Vantrel.dat")).SaveText());
    EXPECT_EQ(routes.RawRow(93).size(), 240u);
}

TEST_F(ConfigToolTest, EveryWrittenFilePassesTheCheckAndSaysWhereTheQuotesGo) {
    ASSERT_EQ(WriteDemoRoutes().status, kToolSound);
    for (const std::string product : {"DEMO AUTO", "DEMO HOME", "BELLMOOR PERSONAL AUTO"}) {
        std::vector<std::string> arguments = DemoSettings();
        arguments[5] = product;
        ASSERT_EQ(Run(arguments).status, kToolSound) << product;
        const ToolResult check = Run({"--check", "Vantrel.dat", "--routes", "PRoute.dat"});
        EXPECT_EQ(check.status, kToolSound) << check.out;
        EXPECT_EQ(check.out.find("warning"), std::string::npos) << check.out;
        EXPECT_NE(check.out.find("Product:      " + product + "\n"), std::string::npos) << check.out;
    }
    const ToolResult check = Run({"--check", "Vantrel.dat", "--routes", "PRoute.dat"});
    EXPECT_NE(check.out.find("Server host:  quotes.bellmoor.example\n"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("Post address: http://quotes.bellmoor.example/krn/import.asp\n"), std::string::npos);

    Run(DemoSettings());
    const ToolResult tls = Run({"--check", "Vantrel.dat", "--routes", "PRoute.dat"});
    EXPECT_NE(tls.out.find("Travels:      http (port 80)"), std::string::npos) << tls.out;
}

TEST_F(ConfigToolTest, WithoutAServerAddressTheRouteServerIsWrittenSoSetupAcceptsIt) {
    ASSERT_EQ(WriteDemoRoutes().status, kToolSound);
    ASSERT_EQ(Run(DemoSettings()).status, kToolSound);
    EXPECT_EQ(ImportSettings(ReadBytes("Vantrel.dat")).serverAddress, "http://127.0.0.1");

    std::vector<std::string> overTls = DemoSettings();
    overTls[5] = "DEMO HOME";
    ASSERT_EQ(Run(overTls).status, kToolSound);
    // The Setup window holds any address without "http://" to be wrong, "https://" included.
    EXPECT_EQ(ImportSettings(ReadBytes("Vantrel.dat")).serverAddress, "http://quotes.demo.example");
}

TEST_F(ConfigToolTest, RefusedValuesWriteNothingAndKeepTheOldFile) {
    ASSERT_EQ(WriteDemoRoutes().status, kToolSound);
    std::vector<std::string> badRater = DemoSettings();
    badRater[3] = "XYZ";
    const ToolResult refused = Run(badRater);
    EXPECT_EQ(refused.status, kToolNotSound);
    EXPECT_NE(refused.out.find("Vantrel.dat value 9: "), std::string::npos) << refused.out;
    EXPECT_FALSE(std::filesystem::exists("Vantrel.dat"));

    ASSERT_EQ(Run(DemoSettings()).status, kToolSound);
    const std::string before = ReadBytes("Vantrel.dat");
    std::vector<std::string> semicolon = DemoSettings();
    semicolon[11] = "Demo; Agency";
    EXPECT_EQ(Run(semicolon).status, kToolNotSound);
    EXPECT_EQ(ReadBytes("Vantrel.dat"), before);

    const ToolResult wideColumn = Run({"--write-routes", "Other.dat", "--route", std::string(21, 'C'), "FSC", "IL",
                                       "DEMO AUTO", "http://127.0.0.1", "UNDEFINED"});
    EXPECT_EQ(wideColumn.status, kToolNotSound);
    EXPECT_NE(wideColumn.out.find("Other.dat value 93: the company"), std::string::npos) << wideColumn.out;
    EXPECT_FALSE(std::filesystem::exists("Other.dat"));
}

TEST_F(ConfigToolTest, BadInputIsOneLineAndStatusTwo) {
    WriteBytes("utf16.dat", std::string("\xff\xfe"
                                        "F\0S\0C\0;\0",
                                        10));
    const std::vector<std::vector<std::string>> bad = {
        {"--check", "missing.dat"},
        {"--check", "utf16.dat"},
        {"--products", "--routes", "missing.dat"},
        {"--check"},
        {"--frobnicate"},
        {},
        {"--check", "a", "--products"},
        {"--write-routes", "r.dat", "--route", "only", "three", "columns"},
        {"--write-settings", "s.dat", "--rater", "FSC"},
        {"--check", "s.dat", "--rater", "FSC"},
    };
    for (const auto& arguments : bad) {
        const ToolResult result = Run(arguments);
        EXPECT_EQ(result.status, kToolBadInput) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_FALSE(result.err.empty());
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), result.err.back() == '\n' ? 1 : 0);
    }
    // Bytes 0x80 to 0xFF are letters of the system code page.
    ASSERT_EQ(WriteDemoRoutes().status, kToolSound);
    std::vector<std::string> accented = DemoSettings();
    accented[11] = "Agence Fran\xe7oise";
    ASSERT_EQ(Run(accented).status, kToolSound);
    EXPECT_EQ(Run({"--check", "Vantrel.dat", "--routes", "PRoute.dat"}).status, kToolSound);
}

TEST_F(ConfigToolTest, TheProductListHasEveryNameOnceWithTheServerThatWins) {
    ASSERT_EQ(WriteDemoRoutes().status, kToolSound);
    const ToolResult builtIn = Run({"--products"});
    ASSERT_EQ(builtIn.status, kToolSound);
    EXPECT_NE(builtIn.out.find("BELLMOOR PERSONAL AUTO\thttp://quotes.bellmoor.example\n"), std::string::npos);
    EXPECT_EQ(builtIn.out.find("DEMO AUTO"), std::string::npos);
    const ToolResult withRoutes = Run({"--products", "--routes", "PRoute.dat"});
    EXPECT_NE(withRoutes.out.find("DEMO AUTO\thttp://127.0.0.1\n"), std::string::npos);
    std::istringstream lines(withRoutes.out);
    std::set<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(names.insert(line.substr(0, line.find('\t'))).second) << line;
    }
}

TEST_F(ConfigToolTest, HostsAreMergedIntoTheKnownOnesAndTheCheckShowsThePostOverTls) {
    // A host the PC learned is now known for good; the others join it.
    const std::string learned = "learned.example 2099-01-01T00:00:00Z;\r\n";
    WriteBytes("TlsHosts.dat", learned);
    ASSERT_EQ(
        Run({"--write-tls-hosts", "TlsHosts.dat", "--tls-host", "127.0.0.1", "--tls-host", "LEARNED.example"}).status,
        kToolSound);
    EXPECT_EQ(ReadBytes("TlsHosts.dat"), "LEARNED.example always;\r\n127.0.0.1 always;\r\n");
    ASSERT_EQ(Run({"--write-tls-hosts", "TlsHosts.dat", "--tls-host", "quotes.example"}).status, kToolSound);
    EXPECT_EQ(ReadBytes("TlsHosts.dat"), "LEARNED.example always;\r\n127.0.0.1 always;\r\nquotes.example always;\r\n");

    ASSERT_EQ(WriteDemoRoutes().status, kToolSound);
    ASSERT_EQ(Run(DemoSettings()).status, kToolSound);
    const ToolResult check = Run({"--check", "Vantrel.dat", "--routes", "PRoute.dat", "--tls-hosts", "TlsHosts.dat"});
    EXPECT_EQ(check.status, kToolSound) << check.out;
    EXPECT_NE(check.out.find("Post address: https://127.0.0.1/krn/import.asp\n"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("Start page:   http://127.0.0.1/krn/start.asp"), std::string::npos) << check.out;
}

TEST_F(ConfigToolTest, AHostsFileTheProgramCannotReadWhollyIsNotRewritten) {
    const std::string damaged = "ok.example always;\r\nnot an entry;\r\n";
    WriteBytes("TlsHosts.dat", damaged);
    const ToolResult merge = Run({"--write-tls-hosts", "TlsHosts.dat", "--tls-host", "new.example"});
    EXPECT_EQ(merge.status, kToolNotSound);
    EXPECT_NE(merge.out.find("TlsHosts.dat value 2: "), std::string::npos) << merge.out;
    EXPECT_EQ(ReadBytes("TlsHosts.dat"), damaged);
    EXPECT_EQ(Run({"--write-tls-hosts", "Other.dat", "--tls-host", "two words"}).status, kToolNotSound);
    EXPECT_FALSE(std::filesystem::exists("Other.dat"));
    EXPECT_EQ(Run({"--write-tls-hosts", "Other.dat"}).status, kToolBadInput);
    EXPECT_EQ(Run({"--check", "Vantrel.dat", "--tls-host", "x"}).status, kToolBadInput);
}
