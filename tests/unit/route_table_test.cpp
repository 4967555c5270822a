#include "config/route_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "config/builtin_routes.h"
#include "config/route_row.h"
#include "platform/fake/state.h"
#include "support/text.h"
#include "test_folder.h"

namespace {

using text::TrimRight;

// A route row as "PRoute.dat" carries it: every column blank-padded, the path to 50.
std::string RouteRow(const std::string& product, const std::string& server, const std::string& path = "C:\\X") {
    return route_row::Row("Northgate Extra Corp", "ITC", "OH", product, server, path);
}

bool IsExampleAddress(const std::string& url) {
    if (url.rfind("http://", 0) != 0 || url.back() == '/') return false;
    const std::string host = url.substr(7, url.find('/', 7) - 7);
    return host.size() > 8 && host.compare(host.size() - 8, 8, ".example") == 0;
}

class RouteTableTest : public InTestFolder {
protected:
    // The site mode text first, `extraRows` from value 93 on; values 2-92 are filler.
    static void WriteSiteFile(const std::string& siteMode, const std::vector<std::string>& extraRows = {}) {
        std::string bytes = siteMode + ";\r\n";
        for (int value = 2; value <= 92 && !extraRows.empty(); ++value)
            bytes += RouteRow("FILLER", "http://f") + ";\r\n";
        for (const std::string& row : extraRows) bytes += row + ";\r\n";
        WriteBytes("PRoute.dat", bytes);
    }
};

}  // namespace

TEST_F(RouteTableTest, BuiltinRowsAndRulesHaveTheirFixedShapes) {
    RouteTable table;
    std::set<std::string> companies, servers, codes;
    std::set<std::size_t> lengths;
    std::map<std::string, int> rowsPerRater, rowsPerPath;
    std::map<std::string, std::vector<int>> slotsPerProduct;
    for (int slot = 1; slot <= kBuiltinRouteCount; ++slot) {
        const RouteTableRow& row = table.Row(slot);
        lengths.insert(table.RawRow(slot).size());
        for (const std::string* column :
             {&row.company, &row.raterCode, &row.state, &row.productName, &row.serverUrl, &row.browserPath}) {
            EXPECT_NE(TrimRight(*column), "") << "slot " << slot;
        }
        EXPECT_EQ(row.productName, text::ToUpper(row.productName)) << slot;
        EXPECT_TRUE(IsExampleAddress(row.serverUrl)) << row.serverUrl;
        companies.insert(TrimRight(row.company));
        servers.insert(row.serverUrl);
        ++rowsPerRater[TrimRight(row.raterCode)];
        ++rowsPerPath[row.browserPath];
        slotsPerProduct[TrimRight(row.productName)].push_back(slot);
    }
    EXPECT_EQ(lengths, (std::set<std::size_t>{238, 240}));
    EXPECT_EQ(companies.size(), 20u);
    EXPECT_EQ(servers.size(), 21u);
    EXPECT_EQ(rowsPerPath.size(), 12u);
    EXPECT_EQ(rowsPerPath["UNDEFINED"], 26);
    EXPECT_EQ(rowsPerRater, (std::map<std::string, int>{{"AAR", 8}, {"FSC", 20}, {"ITC", 40}, {"QQ", 24}}));
    int twice = 0;
    for (const auto& [product, slots] : slotsPerProduct) {
        ASSERT_LE(slots.size(), 2u) << product;
        if (slots.size() == 1) continue;
        ++twice;
        const RouteTableRow &first = table.Row(slots[0]), &second = table.Row(slots[1]);
        EXPECT_EQ(TrimRight(first.raterCode) + TrimRight(second.raterCode), "ITCQQ") << product;
        EXPECT_EQ(first.serverUrl + first.browserPath, second.serverUrl + second.browserPath) << product;
    }
    EXPECT_EQ(twice, 5);

    const struct {
        int first, last;
        bool staging, paths, stagingPath;
    } shapes[] = {{1, 2, false, true, false}, {3, 7, false, false, false},  {8, 14, true, false, false},
                  {15, 18, true, true, true}, {19, 19, false, true, false}, {20, 22, true, true, false}};
    for (const auto& shape : shapes) {
        for (int n = shape.first; n <= shape.last; ++n) {
            EXPECT_EQ(SiteRules()[n - 1].HasStagingServer(), shape.staging) << n;
            EXPECT_EQ(SiteRules()[n - 1].HasBrowserPaths(), shape.paths) << n;
            EXPECT_EQ(SiteRules()[n - 1].HasStagingBrowserPath(), shape.stagingPath) << n;
        }
    }
    for (const SiteRule& rule : SiteRules()) {
        EXPECT_TRUE(IsExampleAddress(rule.devServerUrl) && IsExampleAddress(rule.supportServerUrl)) << rule.routeCode;
        EXPECT_EQ(IsExampleAddress(rule.stagingServerUrl), rule.HasStagingServer()) << rule.routeCode;
        EXPECT_EQ(*rule.devBrowserPath && *rule.supportBrowserPath, rule.HasBrowserPaths()) << rule.routeCode;
        const std::string code = rule.routeCode;
        EXPECT_EQ(code.size(), 6u);
        EXPECT_EQ(code.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), std::string::npos) << code;
        codes.insert(code);
    }
    EXPECT_EQ(codes.size(), 21u);
    EXPECT_STREQ(SiteRules()[11].routeCode, SiteRules()[12].routeCode);
}

// Every site mode checked against the whole table: a slot changes exactly when it carries the
// live server (or live path) of a rule whose code the mode names, and only with a keyword.
TEST_F(RouteTableTest, ASiteModeSwitchesExactlyTheRowsOfTheRulesItNames) {
    struct Site {
        const char* keyword;
        const char* SiteRule::*server;
        const char* SiteRule::*path;
    };
    const Site sites[] = {{"DEVSITE", &SiteRule::devServerUrl, &SiteRule::devBrowserPath},
                          {"SUPPORTSITE", &SiteRule::supportServerUrl, &SiteRule::supportBrowserPath},
                          {"STAGINGSITE", &SiteRule::stagingServerUrl, &SiteRule::stagingBrowserPath},
                          {"", nullptr, nullptr}};  // a code alone
    const RouteTable live;
    std::vector<std::string> modes = {"DEVSITE SUPPORTSITE STAGINGSITE"};  // keywords alone
    for (const SiteRule& rule : SiteRules()) modes.push_back(rule.routeCode);
    for (const std::string& code : modes) {
        for (const Site& site : sites) {
            WriteSiteFile(code + " " + site.keyword);
            const RouteTable switched;
            int serversChanged = 0, pathsChanged = 0;
            for (int slot = 1; slot <= RouteTable::kSlots; ++slot) {
                std::string server = live.Row(slot).serverUrl, path = live.Row(slot).browserPath;
                for (const SiteRule& rule : SiteRules()) {
                    if (rule.routeCode != code || !site.server || *(rule.*site.server) == '\0') continue;
                    if (server == rule.liveServerUrl) server = rule.*site.server;
                    if (path == rule.liveBrowserPath && *(rule.*site.path) != '\0') path = rule.*site.path;
                }
                EXPECT_EQ(switched.Row(slot).serverUrl, server) << code << " " << site.keyword << " " << slot;
                EXPECT_EQ(switched.Row(slot).browserPath, path) << code << " " << site.keyword << " " << slot;
                serversChanged += server != live.Row(slot).serverUrl;
                pathsChanged += path != live.Row(slot).browserPath;
            }
            // Each rule's live values are those of real rows.
            for (const SiteRule& rule : SiteRules()) {
                if (rule.routeCode != code || !site.server || *(rule.*site.server) == '\0') continue;
                EXPECT_GT(serversChanged, 0) << code << " " << site.keyword;
                EXPECT_EQ(pathsChanged > 0, *(rule.*site.path) != '\0') << code << " " << site.keyword;
            }
        }
    }
}

TEST_F(RouteTableTest, SiteModeTextDecidesWhichSiteARowUses) {
    const struct {
        const char* siteMode;
        const char* product;
        const char* server;
        const char* path;
    } cases[] = {
        {"marbly devsite ", "MARBLY POINT HOME", "http://quotes-dev.marblypoint.example", "C:\\KRNDEV\\MARBLY"},
        {"MARBLY SUPSITE", "MARBLY POINT HOME", "http://quotes-support.marblypoint.example", "C:\\KRNSUP\\MARBLY"},
        {"MARBLY STAGESITE", "MARBLY POINT HOME", "http://quotes-staging.marblypoint.example", "C:\\KRNSTAGE\\MARBLY"},
        // Development wins: the support step finds no live server left...
        {"MARBLY DEVSITE SUPPORTSITE", "MARBLY POINT HOME", "http://quotes-dev.marblypoint.example",
         "C:\\KRNDEV\\MARBLY"},
        // ...but a development folder inside the live one is rewritten again.
        {"BELPER DEVSITE SUPPORTSITE", "BELLMOOR HOMEOWNERS", "http://quotes-dev.bellmoor.example",
         "C:\\KRN\\BELLMOOR\\PERSONAL\\SUPPORT\\DEV"},
        {"MARBLY/REDWCK:DEVSITE", "REDWICK AUTO", "http://krn-dev.redwick.example", "C:\\KRNDEV\\REDWICK"},
        {"KESTRL SUPPORTSITE", "KESTREL LANE BUSINESS AUTO", "http://commercial-support.kestrellane.example",
         "UNDEFINED"},
    };
    for (const auto& c : cases) {
        WriteSiteFile(c.siteMode);
        RouteTable table;
        EXPECT_EQ(table.FindServer(c.product), c.server) << c.siteMode;
        EXPECT_EQ(table.FindBrowserPath(c.product), c.path) << c.siteMode;
    }
    WriteSiteFile(" marbly devsite \t");
    EXPECT_EQ(RouteTable().SiteMode(), " MARBLY DEVSITE");
    WriteBytes("PRoute.dat", "");
    EXPECT_EQ(RouteTable().SiteMode(), "");
}

TEST_F(RouteTableTest, LookupsTrimOnlyTrailingWhiteSpace) {
    RouteTable table;
    EXPECT_EQ(table.SiteMode(), "LIVE");
    EXPECT_TRUE(fake::Pauses().empty());  // no site file, no retries
    const struct {
        const char* key;
        const char* server;
        const char* path;
    } cases[] = {
        {"KESTREL LANE BUSINESS AUTO", "http://commercial.kestrellane.example", "UNDEFINED"},
        {"TWIN RIVER AUTO  \t\r\n", "http://portal.twinriver.example/quoting", "C:\\KRN\\TWINRIVER"},
        {" REDWICK AUTO", "No Server Path Found  REDWICK AUTO", "No Server Path Found  REDWICK AUTO"},
        {"redwick auto", "No Server Path Found redwick auto", "No Server Path Found redwick auto"},
        {"NO SUCH PRODUCT   ", "No Server Path Found NO SUCH PRODUCT", "No Server Path Found NO SUCH PRODUCT"},
        {"   ", "", ""},  // the first empty product name is slot 93's
    };
    // Seen through the text the import goes on with, which names a key that found nothing.
    for (const auto& c : cases) {
        EXPECT_EQ(RouteLookupText(table.FindServer(c.key), c.key), c.server) << c.key;
        EXPECT_EQ(RouteLookupText(table.FindBrowserPath(c.key), c.key), c.path) << c.key;
    }
    // A lookup trims the product names it passes, and only those.
    RouteTable fresh;
    EXPECT_EQ(fresh.Row(1).productName.size(), 60u);
    EXPECT_TRUE(fresh.FindServer("BELLMOOR PERSONAL AUTO"));
    EXPECT_EQ(fresh.Row(1).productName, "BELLMOOR PERSONAL AUTO");
    EXPECT_EQ(fresh.Row(2).productName, "BELLMOOR PERSONAL AUTO" + std::string(38, ' '));
}

TEST_F(RouteTableTest, ValuesFrom93To200AreExtraRowsAndTheLowerSlotWins) {
    WriteSiteFile("MARBLY DEVSITE", {RouteRow("EXTRA ONE", "http://extra-one.example", "C:\\EXTRA\\ONE"),
                                     RouteRow("REDWICK AUTO", "http://not-redwick.example"),
                                     RouteRow("EXTRA MARBLY", "http://quotes.marblypoint.example", "C:\\KRN\\MARBLY")});
    RouteTable table;
    EXPECT_EQ(table.FindServer("EXTRA ONE"), "http://extra-one.example");
    EXPECT_EQ(table.FindBrowserPath("EXTRA ONE"), "C:\\EXTRA\\ONE");
    EXPECT_EQ(table.FindServer("REDWICK AUTO"), "http://krn.redwick.example");
    EXPECT_EQ(table.FindServer("EXTRA MARBLY"), "http://quotes-dev.marblypoint.example");
    EXPECT_EQ(table.FindBrowserPath("EXTRA MARBLY"), "C:\\KRNDEV\\MARBLY");
    EXPECT_EQ(table.FindServer("FILLER"), std::nullopt);  // values 2-92 count for nothing

    std::vector<std::string> extra(108, RouteRow("", "http://blank-name.example"));
    extra[1] = RouteRow("TWIN EXTRA", "http://first.example");
    extra[2] = RouteRow("TWIN EXTRA", "http://second.example");
    extra[107] = RouteRow("IN SLOT 200", "http://last.example");
    extra.push_back(RouteRow("PAST THE END", "http://past.example"));
    WriteSiteFile("LIVE", extra);
    RouteTable full;
    EXPECT_EQ(full.FindServer("TWIN EXTRA"), "http://first.example");
    EXPECT_EQ(full.FindServer(""), "http://blank-name.example");
    EXPECT_EQ(full.FindServer("IN SLOT 200"), "http://last.example");
    EXPECT_EQ(full.FindServer("PAST THE END"), std::nullopt);
}

TEST_F(RouteTableTest, ShortExtraRowsFillOnlyTheColumnsTheyReach) {
    const std::string full = RouteRow("EXTRA PRODUCT", "http://extra.example", "C:\\EXTRA");
    const std::string company = "Northgate Extra Corp", name60 = "EXTRA PRODUCT" + std::string(47, ' ');
    const std::vector<std::vector<std::string>> cases = {
        // length, then company, raterCode, state, productName, serverUrl, browserPath
        {"19", "", "", "", "", "", ""},
        {"24", company, "", "", "", "", ""},
        {"25", company, "ITC  ", "", "", "", ""},
        {"59", company, "ITC  ", "OH   ", "", "", ""},
        {"60", company, "ITC  ", "OH   ", name60.substr(0, 30), "", ""},
        {"189", company, "ITC  ", "OH   ", name60, "", ""},
        {"194", company, "ITC  ", "OH   ", name60, "http://extra.example", ""},
        {"195", company, "ITC  ", "OH   ", name60, "http://extra.example", "C:\\EX"},
    };
    std::vector<std::string> rows;
    for (const auto& c : cases) rows.push_back(full.substr(0, std::stoul(c[0])));
    WriteSiteFile("LIVE", rows);
    RouteTable table;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const RouteTableRow& row = table.Row(93 + static_cast<int>(i));
        EXPECT_EQ((std::vector<std::string>{cases[i][0], row.company, row.raterCode, row.state, row.productName,
                                            row.serverUrl, row.browserPath}),
                  cases[i]);
    }
}

namespace {

void ExpectSameTable(const RouteTable& a, const RouteTable& b, const std::string& what) {
    EXPECT_EQ(a.SiteMode(), b.SiteMode()) << what;
    for (int slot = 0; slot <= RouteTable::kSlots; ++slot) {
        const RouteTableRow &x = a.Row(slot), &y = b.Row(slot);
        EXPECT_EQ(a.RawRow(slot), b.RawRow(slot)) << what << " slot " << slot;
        EXPECT_EQ(
            (std::vector<std::string>{x.company, x.raterCode, x.state, x.productName, x.serverUrl, x.browserPath}),
            (std::vector<std::string>{y.company, y.raterCode, y.state, y.productName, y.serverUrl, y.browserPath}))
            << what << " slot " << slot;
    }
}

}  // namespace

// Build reads "PRoute.dat" and gives its bytes to the reader BuildFromSiteFile uses; each
// text must give the same table both ways, and a table built again, after a longer file
// and after lookups that trimmed its product names, must be the table a new one would be.
TEST_F(RouteTableTest, ASiteFileInMemoryBuildsTheTableItsFileBuilds) {
    std::vector<std::string> extra(110, RouteRow("EXTRA", "http://quotes.marblypoint.example", "C:\\KRN\\MARBLY"));
    extra[3] = RouteRow("REDWICK AUTO", "http://krn.redwick.example");
    std::string longFile = "marbly redwck devsite supportsite;\r\n";
    for (int value = 2; value <= 92; ++value) longFile += "filler;\r\n";
    for (const std::string& row : extra) longFile += row + ";\n";
    const std::string texts[] = {
        "", "KESTRL STAGINGSITE;", "no separator at all\r\n", "a;b\r\r\nc;\rd;", longFile, "LIVE;\r\n"};
    RouteTable reused;
    for (const std::string& text : texts) {
        WriteBytes("PRoute.dat", text);
        const RouteTable fromFile;
        RouteTable fromText;
        fromText.BuildFromSiteFile(text);
        ExpectSameTable(fromFile, fromText, text.substr(0, 40));

        EXPECT_FALSE(reused.FindServer("NO SUCH PRODUCT"));  // trims every product name it passes
        reused.BuildFromSiteFile(text);
        ExpectSameTable(fromFile, reused, "reused: " + text.substr(0, 40));
    }
    EXPECT_EQ(reused.Row(1).productName.size(), 60u);
}
