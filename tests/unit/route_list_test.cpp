#include "config/route_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/state.h"
#include "test_folder.h"

namespace {

class RouteListTest : public InTestFolder {
protected:
    static void WriteRouteFile(const std::vector<std::string>& values) {
        std::string bytes;
        for (const std::string& value : values) bytes += value + ";\r\n";
        WriteBytes("Route.dat", bytes);
    }
};

const std::string kCompany = "Harrow Lane Mutual  ";
const std::string kProduct = "HARROW LANE AUTO" + std::string(44, ' ');
const std::string kRow = kCompany + "QQ   WV   " + kProduct + "http://quotes.harrowlane.example" +
                         std::string(68, ' ') + "C:\\KRN\\HARROW   ";

}  // namespace

TEST_F(RouteListTest, RowsSplitIntoTheColumnsTheyReachWithNothingTrimmed) {
    const std::vector<std::vector<std::string>> cases = {
        // length, then company, raterCode, state, productName, remainder
        {"19", "", "", "", "", ""},
        {"24", kCompany, "", "", "", ""},
        {"29", kCompany, "QQ   ", "", "", ""},
        {"59", kCompany, "QQ   ", "WV   ", "", ""},
        {"70", kCompany, "QQ   ", "WV   ", kProduct.substr(0, 40), ""},
        {"90", kCompany, "QQ   ", "WV   ", kProduct, ""},
        {"91", kCompany, "QQ   ", "WV   ", kProduct, "h"},
        {std::to_string(kRow.size()), kCompany, "QQ   ", "WV   ", kProduct, kRow.substr(90)},  // trailing blanks kept
    };
    std::vector<std::string> values;
    for (const auto& c : cases) values.push_back(kRow.substr(0, std::stoul(c[0])));
    for (int n = static_cast<int>(values.size()) + 1; n <= 103; ++n) values.push_back("value " + std::to_string(n));
    WriteRouteFile(values);

    RouteList list(RunRater::Of(*FindRater("ITC")), "VANTREL");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const RouteListRow& row = list.Row(static_cast<int>(i) + 1);
        EXPECT_EQ((std::vector<std::string>{cases[i][0], row.company, row.raterCode, row.state, row.productName,
                                            row.remainder}),
                  cases[i]);
    }
    EXPECT_EQ(list.RawRow(100), "value 100");  // values past 100 are not stored
    EXPECT_EQ(list.RawRow(0), "");
}

TEST_F(RouteListTest, AMissingFileCostsTheReadersRetriesAndLeavesTheListEmpty) {
    RouteList list(RunRater::Of(*FindRater("FSC")), "VANTREL");
    EXPECT_EQ(fake::Pauses(), std::vector<int>(100, 50));
    EXPECT_TRUE(fake::Messages().empty());
    for (int slot = 1; slot <= RouteList::kSlots; ++slot) EXPECT_EQ(list.Row(slot).company + list.RawRow(slot), "");
}

TEST_F(RouteListTest, TheBareListReadsNothingUntilLoaded) {
    WriteRouteFile({kRow});
    RouteList list;
    EXPECT_EQ(list.RawRow(1), "");
    EXPECT_TRUE(fake::Pauses().empty());
    list.Load();
    EXPECT_EQ(list.Row(1).company, kCompany);
}

TEST_F(RouteListTest, OnlyAQqRunOfADaredeProgramReadsTheToveFolder) {
    const char* kTove = "c:\\Program Files\\TOVE\\Route.dat";
    const struct {
        const char* raterCode;
        const char* programName;
        const char* file;
    } cases[] = {
        {"QQ", "DAREDE", kTove},        {"QQ", "MYDAREDE2", kTove},    {"QQ", "VANTREL", "Route.dat"},
        {"QQ", "darede", "Route.dat"},  {"qq", "DAREDE", "Route.dat"}, {"QQ ", "DAREDE", "Route.dat"},
        {"ITC", "DAREDE", "Route.dat"}, {"", "", "Route.dat"},
    };
    WriteRouteFile({kRow});
    for (const auto& c : cases) {
        const Rater* rater = FindRater(c.raterCode);
        RouteList list(rater ? RunRater::Of(*rater) : RunRater(), c.programName);
        EXPECT_EQ(list.RouteFilePath(), c.file) << c.raterCode << " " << c.programName;
        // The file in the working directory is read exactly when it is the chosen one.
        EXPECT_EQ(list.RawRow(1) == kRow, std::string(c.file) == "Route.dat") << c.raterCode << " " << c.programName;
    }
}
