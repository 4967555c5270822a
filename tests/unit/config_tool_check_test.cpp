// The configuration tool's checks: each bad file named by the line or value at fault, and
// sound files passing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/route_row.h"
#include "config_tool/closest_names.h"
#include "config_tool/route_file_check.h"
#include "config_tool/settings_file_check.h"
#include "config_tool/tls_hosts_file_check.h"

namespace {

std::string Lines(const std::vector<std::string>& values) {
    std::string bytes;
    for (const std::string& value : values) bytes += value + ";\r\n";
    return bytes;
}

std::vector<std::string> SoundValues() {
    return {"", "http://127.0.0.1", "krn/import.asp", "krn/start.asp", "Demo Agency", "", "", "N", "FSC", "DEMO AUTO"};
}

std::vector<std::string> With(int valueNumber, const std::string& value) {
    std::vector<std::string> values = SoundValues();
    values[valueNumber - 1] = value;
    return values;
}

// "line 3", "value 9" or "file": where each finding points, in order.
std::vector<std::string> Places(const Findings& findings, Finding::Kind kind = Finding::Kind::kProblem) {
    std::vector<std::string> places;
    for (const Finding& finding : findings) {
        if (finding.kind != kind) continue;
        switch (finding.place) {
            case Finding::Place::kLine:
                places.push_back("line " + std::to_string(finding.number));
                break;
            case Finding::Place::kValue:
                places.push_back("value " + std::to_string(finding.number));
                break;
            case Finding::Place::kFile:
                places.push_back("file");
                break;
        }
    }
    return places;
}

std::string Row(const std::string& product, const std::string& server) {
    return route_row::Row("DEMO MUTUAL", "FSC", "IL", product, server, "UNDEFINED");
}

// A routes file: the site mode, placeholders to value 92, then `rows`.
std::string RouteFile(const std::vector<std::string>& rows, const std::string& placeholder = "") {
    std::vector<std::string> values{"LIVE"};
    values.resize(kFirstSiteRouteValue - 1, placeholder);
    values.insert(values.end(), rows.begin(), rows.end());
    return Lines(values);
}

}  // namespace

TEST(SettingsFileCheckTest, ASoundFileHasNoFindings) {
    EXPECT_TRUE(CheckSettingsFile(Lines(SoundValues())).empty());
}

TEST(SettingsFileCheckTest, EachBadValueIsNamedByItsNumber) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> places;
    } cases[] = {
        {"a rater that is no code", Lines(With(9, "XYZ")), {"value 9"}},
        {"AUTO, which start-up refuses", Lines(With(9, "AUTO")), {"value 9"}},
        {"a rater in lower case", Lines(With(9, "fsc")), {"value 9"}},
        {"a company past its 50", Lines(With(5, std::string(51, 'c'))), {"value 5"}},
        {"a producer code past its 15", Lines(With(1, std::string(16, 'p'))), {"value 1"}},
        {"a server address past its 50", Lines(With(2, "http://" + std::string(44, 's'))), {"value 2"}},
        {"a post file with a leading /", Lines(With(3, "/krn/import.asp")), {"value 3"}},
        {"a launch file with a leading /", Lines(With(4, "/krn/start.asp")), {"value 4"}},
        {"a carriage return inside a value", Lines(With(5, "Demo\rAgency")), {"line 5", "value 5"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Places(CheckSettingsFile(c.bytes)), c.places) << c.what;
    // Exactly at the limits is fine.
    EXPECT_TRUE(CheckSettingsFile(Lines(With(5, std::string(50, 'c')))).empty());
    EXPECT_TRUE(CheckSettingsFile(Lines(With(1, std::string(15, 'p')))).empty());
}

TEST(SettingsFileCheckTest, AFileOffTheShapeTheProgramWritesIsNamedByItsLine) {
    const std::string sound = Lines(SoundValues());
    std::string bareLineFeed = sound;
    bareLineFeed.erase(bareLineFeed.find("krn/start.asp;\r\n") + 14, 1);
    std::string textAfter = sound;
    textAfter.insert(textAfter.find("Demo Agency;") + 12, " (main office)");
    std::string unended = sound;
    unended.resize(unended.size() - 2);
    std::vector<std::string> eleven = SoundValues();
    eleven.push_back("extra");

    EXPECT_EQ(Places(CheckSettingsFile(bareLineFeed)), std::vector<std::string>{"line 4"});
    EXPECT_EQ(Places(CheckSettingsFile(textAfter)), std::vector<std::string>{"line 5"});
    EXPECT_EQ(Places(CheckSettingsFile(unended)), std::vector<std::string>{"line 10"});
    EXPECT_EQ(Places(CheckSettingsFile(Lines(eleven))), std::vector<std::string>{"file"});
    // Nine lines: the product name is missing, and the rater moved nowhere.
    std::vector<std::string> nine = SoundValues();
    nine.pop_back();
    EXPECT_EQ(Places(CheckSettingsFile(Lines(nine))), std::vector<std::string>{"file"});
    // Two values on one line shift every later one: the line, the count, and the rater now in
    // value 10's place all show.
    std::string twoOnOne = Lines(SoundValues());
    twoOnOne.replace(twoOnOne.find("Demo Agency;"), 12, "Demo;Agency;");
    const std::vector<std::string> places = Places(CheckSettingsFile(twoOnOne));
    EXPECT_EQ(places.front(), "line 5");
    EXPECT_NE(std::find(places.begin(), places.end(), "value 9"), places.end());
}

TEST(SettingsFileCheckTest, AServerAddressTheAgentsSaveWouldCorrectIsAWarning) {
    const Findings empty = CheckSettingsFile(Lines(With(2, "")));
    EXPECT_TRUE(Places(empty).empty());
    EXPECT_EQ(Places(empty, Finding::Kind::kWarning), std::vector<std::string>{"value 2"});
    EXPECT_EQ(Places(CheckSettingsFile(Lines(With(2, "http://host/"))), Finding::Kind::kWarning),
              std::vector<std::string>{"value 2"});
    EXPECT_EQ(Places(CheckSettingsFile(Lines(With(2, "https://host"))), Finding::Kind::kWarning),
              std::vector<std::string>{"value 2"});
}

TEST(SettingsFileCheckTest, AnUnknownProductListsTheClosestKnownNames) {
    RouteTable routes{RouteFile({Row("DEMO AUTO", "http://127.0.0.1")})};
    const ImportSettings known(Lines(SoundValues()));
    EXPECT_TRUE(CheckProduct(known, routes).empty());

    const ImportSettings typo(Lines(With(10, "demo autos")));
    const Findings findings = CheckProduct(typo, routes);
    ASSERT_EQ(Places(findings), std::vector<std::string>{"value 10"});
    EXPECT_NE(findings[0].text.find("closest known names are: \"DEMO AUTO\""), std::string::npos) << findings[0].text;
    // Five names at most.
    std::size_t quotes = 0;
    for (char c : findings[0].text) quotes += c == '"';
    EXPECT_EQ(quotes, 2u + 5u * 2u);
}

TEST(ClosestNamesTest, RanksByEditsIgnoringCase) {
    EXPECT_EQ(EditDistance("kitten", "SITTING"), 3u);
    EXPECT_EQ(EditDistance("", "abc"), 3u);
    EXPECT_EQ(ClosestNames("HOME", {"HOMEOWNERS", "HOMR", "AUTO", "home"}, 2),
              (std::vector<std::string>{"home", "HOMR"}));
}

TEST(RouteFileCheckTest, SoundRowsHaveNoFindings) {
    EXPECT_TRUE(CheckRouteFile(
                    RouteFile({Row("DEMO AUTO", "http://127.0.0.1"), Row("DEMO HOME", "https://quotes.demo.example")}))
                    .empty());
}

TEST(RouteFileCheckTest, EachBadRowIsNamedByItsValue) {
    const struct {
        const char* what;
        std::string row;
    } cases[] = {
        {"no product name", Row("", "http://127.0.0.1")},
        {"no server", Row("DEMO AUTO", "")},
        {"a server without its scheme", Row("DEMO AUTO", "127.0.0.1")},
        {"a server in another scheme", Row("DEMO AUTO", "ftp://127.0.0.1")},
        {"a row cut before the server", Row("DEMO AUTO", "http://127.0.0.1").substr(0, 120)},
        {"a built-in product, whose built-in row wins", Row("BELLMOOR PERSONAL AUTO", "http://127.0.0.1")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Places(CheckRouteFile(RouteFile({Row("DEMO HOME", "http://127.0.0.1"), c.row}))),
                  std::vector<std::string>{"value 94"})
            << c.what;
    }
    EXPECT_EQ(Places(CheckRouteFile(RouteFile({Row("DEMO AUTO", "http://a"), Row("DEMO AUTO", "http://b")}))),
              std::vector<std::string>{"value 94"})
        << "a second row for one product is never used";
}

TEST(RouteFileCheckTest, ARowWhereTheProgramNeverReadsIsAWarning) {
    std::string bytes = RouteFile({Row("DEMO AUTO", "http://127.0.0.1")});
    const std::string misplaced = Row("DEMO HOME", "http://127.0.0.1") + ";\r\n";
    bytes.replace(bytes.find(";\r\n;\r\n") + 3, 3, misplaced);  // value 2
    const Findings findings = CheckRouteFile(bytes);
    EXPECT_TRUE(Places(findings).empty());
    EXPECT_EQ(Places(findings, Finding::Kind::kWarning), std::vector<std::string>{"value 2"});
}

TEST(RouteFileCheckTest, ValuesPastTheTablesTwoHundredAreAProblem) {
    std::vector<std::string> rows;
    for (int i = 0; i < 109; ++i) rows.push_back(Row("DEMO " + std::to_string(i), "http://127.0.0.1"));
    EXPECT_EQ(Places(CheckRouteFile(RouteFile(rows))), std::vector<std::string>{"value 201"});
    rows.pop_back();
    EXPECT_TRUE(CheckRouteFile(RouteFile(rows)).empty());
}

TEST(TlsHostsFileCheckTest, EachValueTheProgramWouldSkipIsNamed) {
    UtcSeconds now = 0;
    ASSERT_TRUE(ParseUtcText("2026-12-09T12:00:00Z", now));
    EXPECT_TRUE(
        CheckTlsHostsFile(Lines({"quotes.example.com always", "Other.Example 2027-12-09T17:11:38Z"}), now).empty());
    const Findings findings =
        CheckTlsHostsFile(Lines({"quotes.example.com always", "quotes.example.com", "two words always",
                                 "x 2027-13-01T00:00:00Z", "old.example 2026-12-09T12:00:00Z"}),
                          now);
    EXPECT_EQ(Places(findings), (std::vector<std::string>{"value 2", "value 3", "value 4"}));
    // Known until a moment means not at it.
    EXPECT_EQ(Places(findings, Finding::Kind::kWarning), std::vector<std::string>{"value 5"});
    EXPECT_EQ(Places(CheckTlsHostsFile("a always;\nb always;\r\n", now)), std::vector<std::string>{"line 1"});
}
