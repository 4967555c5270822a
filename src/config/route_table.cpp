#include "config/route_table.h"

#include <array>
#include <vector>

#include "config/builtin_routes.h"
#include "config/route_row.h"
#include "support/text.h"
#include "support/text_file.h"

namespace {

using route_row::ColumnSpec;

// A column is taken only from a row at least this long; a shorter row leaves it empty. The
// product name needs only half its width, the browser path five characters of its own.
constexpr ColumnSpec<RouteTableRow> kColumns[] = {
    {20, route_row::kCompanyAt, route_row::kCompanyWidth, &RouteTableRow::company},
    {25, route_row::kRaterCodeAt, route_row::kRaterCodeWidth, &RouteTableRow::raterCode},
    {30, route_row::kStateAt, route_row::kStateWidth, &RouteTableRow::state},
    {60, route_row::kProductNameAt, route_row::kProductNameWidth, &RouteTableRow::productName},
    {190, route_row::kServerUrlAt, route_row::kServerUrlWidth, &RouteTableRow::serverUrl},
    {195, route_row::kBrowserPathAt, route_row::kToTheEnd, &RouteTableRow::browserPath},
};

// Replaces the rule's live server by `serverUrl` and, when both are given, its live browser
// path by `browserPath`. A row without the live values is left alone.
void SwitchSite(RouteTableRow& row, const SiteRule& rule, const char* serverUrl, const char* browserPath) {
    if (text::Contains(row.serverUrl, rule.liveServerUrl)) {
        row.serverUrl = text::ReplaceAll(row.serverUrl, rule.liveServerUrl, serverUrl);
    }
    if (rule.HasBrowserPaths() && *browserPath != '\0' && text::Contains(row.browserPath, rule.liveBrowserPath)) {
        row.browserPath = text::ReplaceAll(row.browserPath, rule.liveBrowserPath, browserPath);
    }
}

// Fills the columns the row reaches; the server and the browser path lose their trailing
// white space.
void SplitRow(const std::string& rawRow, RouteTableRow& row) {
    route_row::Split(rawRow, kColumns, row);
    row.serverUrl = text::TrimRight(std::move(row.serverUrl));
    row.browserPath = text::TrimRight(std::move(row.browserPath));
}

// The built-in rows split, once per process: every build starts from the same ones.
const std::array<RouteTableRow, kBuiltinRouteCount>& SplitBuiltinRows() {
    static const std::array<RouteTableRow, kBuiltinRouteCount> rows = [] {
        std::array<RouteTableRow, kBuiltinRouteCount> split;
        for (int i = 0; i < kBuiltinRouteCount; ++i) SplitRow(BuiltinRouteRows()[i], split[i]);
        return split;
    }();
    return rows;
}

// The site a rule switches a row to: the rule's live values give way to these.
struct Site {
    const char* serverUrl;
    const char* browserPath;
};

// A rule the site mode names, with the sites it asks for in the order they run:
// development, then support, then staging.
struct RuleSwitch {
    const SiteRule* rule;
    Site sites[3];
    int siteCount;
};

// What the site mode asks for; rules run in list order. The mode is the same for every row,
// so it is searched once per build, not once per row.
std::vector<RuleSwitch> RuleSwitches(const std::string& siteMode) {
    const bool dev = text::Contains(siteMode, "DEVSITE");
    const bool support = text::Contains(siteMode, "SUPPORTSITE") || text::Contains(siteMode, "SUPSITE");
    const bool staging = text::Contains(siteMode, "STAGINGSITE") || text::Contains(siteMode, "STAGESITE");
    std::vector<RuleSwitch> switches;
    for (const SiteRule& rule : SiteRules()) {
        if (!text::Contains(siteMode, rule.routeCode)) continue;
        RuleSwitch rs{&rule, {}, 0};
        if (dev) rs.sites[rs.siteCount++] = {rule.devServerUrl, rule.devBrowserPath};
        if (support) rs.sites[rs.siteCount++] = {rule.supportServerUrl, rule.supportBrowserPath};
        if (staging && rule.HasStagingServer())
            rs.sites[rs.siteCount++] = {rule.stagingServerUrl, rule.stagingBrowserPath};
        if (rs.siteCount > 0) switches.push_back(rs);
    }
    return switches;
}

// Each site searches the row as the site before left it: once the development site has
// replaced the live server, the support and staging sites of the same rule find nothing more
// to do. A row that holds neither of the rule's live values is left as it is by all of them,
// so that is asked first.
void ApplySwitch(RouteTableRow& row, const RuleSwitch& rs) {
    const SiteRule& rule = *rs.rule;
    if (!text::Contains(row.serverUrl, rule.liveServerUrl) &&
        !(rule.HasBrowserPaths() && text::Contains(row.browserPath, rule.liveBrowserPath))) {
        return;
    }
    for (int i = 0; i < rs.siteCount; ++i) SwitchSite(row, rule, rs.sites[i].serverUrl, rs.sites[i].browserPath);
}

}  // namespace

RouteTable::RouteTable() {
    Build();
}

RouteTable::RouteTable(const std::optional<std::string>& siteFileText) {
    if (siteFileText) {
        BuildFromSiteFile(*siteFileText);
        return;
    }
    StartBuild();
    siteMode_ = "LIVE";
    FinishBuild();
}

void RouteTable::Build() {
    FieldReader reader = StartBuild();
    siteMode_ = "LIVE";
    // The existence test keeps the usual case, no file, free of the reader's retry delay.
    if (FileExists(kSiteRouteFileName)) {
        // Kept: a site file that cannot be read gives an empty site mode, which switches
        // nothing, and no extra rows; testers' site modes have always fallen back so.
        static_cast<void>(ReadFields(kSiteRouteFileName, reader));
        siteMode_ = rawRows_[1];
    }
    FinishBuild();
}

void RouteTable::BuildFromSiteFile(const std::string& siteFileText) {
    FieldReader reader = StartBuild();
    reader.Take(siteFileText);
    siteMode_ = rawRows_[1];
    FinishBuild();
}

// Slots are emptied, not replaced, and rows copied in place: what a slot held is overwritten
// in the room it had, so building again allocates next to nothing.
FieldReader RouteTable::StartBuild() {
    for (std::string& rawRow : rawRows_) rawRow.clear();
    // The built-in slots get every column from their rows; the others keep only what a split
    // fills.
    for (int slot = 0; slot <= kSlots; ++slot) {
        if (slot >= 1 && slot <= kBuiltinRouteCount) continue;
        for (const ColumnSpec<RouteTableRow>& spec : kColumns) (rows_[slot].*spec.column).clear();
    }
    // Value n of the file lands in slot n; values past slot 200 are not stored.
    return FieldReader(';', rawRows_ + 1, kSlots);
}

void RouteTable::FinishBuild() {
    siteMode_ = text::TrimRight(text::ToUpper(siteMode_));

    const auto& builtin = BuiltinRouteRows();
    for (int i = 0; i < kBuiltinRouteCount; ++i) rawRows_[1 + i] = builtin[i];

    for (int i = 0; i < kBuiltinRouteCount; ++i) rows_[1 + i] = SplitBuiltinRows()[i];
    for (int slot = kBuiltinRouteCount + 1; slot <= kSlots; ++slot) SplitRow(rawRows_[slot], rows_[slot]);

    const std::vector<RuleSwitch> switches = RuleSwitches(siteMode_);
    for (int slot = 1; slot <= kSlots; ++slot) {
        for (const RuleSwitch& rs : switches) ApplySwitch(rows_[slot], rs);
    }
}

int RouteTable::FindSlot(const std::string& trimmedKey) {
    for (int slot = 1; slot <= kSlots; ++slot) {
        std::string& productName = rows_[slot].productName;
        text::TrimRightInPlace(productName);
        if (productName == trimmedKey) return slot;
    }
    return 0;
}

std::optional<std::string> RouteTable::FindServer(const std::string& key) {
    const int slot = FindSlot(text::TrimRight(key));
    if (!slot) return std::nullopt;
    return text::TrimRight(rows_[slot].serverUrl);
}

std::optional<std::string> RouteTable::FindBrowserPath(const std::string& key) {
    const int slot = FindSlot(text::TrimRight(key));
    if (!slot) return std::nullopt;
    return text::TrimRight(rows_[slot].browserPath);
}

std::string RouteLookupText(const std::optional<std::string>& found, const std::string& key) {
    // Kept: for the customers' servers and the stored export logs, an unknown product has
    // always been posted to this text as its host (the resolver refuses it, and the agent
    // sees it in the internet-error message) and written as such into "export.log".
    return found ? *found : "No Server Path Found " + text::TrimRight(key);
}
