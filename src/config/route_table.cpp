#include "config/route_table.h"

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
    row.serverUrl = text::ReplaceAll(row.serverUrl, rule.liveServerUrl, serverUrl);
    if (rule.HasBrowserPaths() && *browserPath != '\0') {
        row.browserPath = text::ReplaceAll(row.browserPath, rule.liveBrowserPath, browserPath);
    }
}

// One step of the site rules: the rule's live values give way to these.
struct SiteSwitch {
    const SiteRule* rule;
    const char* serverUrl;
    const char* browserPath;
};

// The steps the site mode asks for. Rules run in list order, and within a rule development,
// then support, then staging. Each step searches the row as the step before left it: once
// the development site has replaced the live server, the support and staging steps of the
// same rule find nothing more to do. The mode is the same for every row, so it is searched
// once per build, not once per row.
std::vector<SiteSwitch> SiteSwitches(const std::string& siteMode) {
    const bool dev = text::Contains(siteMode, "DEVSITE");
    const bool support = text::Contains(siteMode, "SUPPORTSITE") || text::Contains(siteMode, "SUPSITE");
    const bool staging = text::Contains(siteMode, "STAGINGSITE") || text::Contains(siteMode, "STAGESITE");
    std::vector<SiteSwitch> switches;
    for (const SiteRule& rule : SiteRules()) {
        if (!text::Contains(siteMode, rule.routeCode)) continue;
        if (dev) switches.push_back({&rule, rule.devServerUrl, rule.devBrowserPath});
        if (support) switches.push_back({&rule, rule.supportServerUrl, rule.supportBrowserPath});
        if (staging && rule.HasStagingServer()) {
            switches.push_back({&rule, rule.stagingServerUrl, rule.stagingBrowserPath});
        }
    }
    return switches;
}

}  // namespace

RouteTable::RouteTable() {
    Build();
}

void RouteTable::Build() {
    FieldReader reader = StartBuild();
    siteMode_ = "LIVE";
    // The existence test keeps the usual case, no file, free of the reader's retry delay.
    if (FileExists(kSiteRouteFileName)) {
        ReadFields(kSiteRouteFileName, reader);
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

FieldReader RouteTable::StartBuild() {
    for (int slot = 0; slot <= kSlots; ++slot) {
        rawRows_[slot].clear();
        rows_[slot] = RouteTableRow();
    }
    // Value n of the file lands in slot n; values past slot 200 are not stored.
    return FieldReader(";", rawRows_ + 1, kSlots);
}

void RouteTable::FinishBuild() {
    siteMode_ = text::TrimRight(text::ToUpper(siteMode_));

    const auto& builtin = BuiltinRouteRows();
    for (int i = 0; i < kBuiltinRouteCount; ++i) rawRows_[1 + i] = builtin[i];

    const std::vector<SiteSwitch> switches = SiteSwitches(siteMode_);
    for (int slot = 1; slot <= kSlots; ++slot) {
        RouteTableRow& row = rows_[slot];
        route_row::Split(rawRows_[slot], kColumns, row);
        row.serverUrl = text::TrimRight(row.serverUrl);
        row.browserPath = text::TrimRight(row.browserPath);
        for (const SiteSwitch& step : switches) SwitchSite(row, *step.rule, step.serverUrl, step.browserPath);
    }
}

int RouteTable::FindSlot(const std::string& trimmedKey) {
    for (int slot = 1; slot <= kSlots; ++slot) {
        std::string& productName = rows_[slot].productName;
        productName = text::TrimRight(productName);
        if (productName == trimmedKey) return slot;
    }
    return 0;
}

std::string RouteTable::FindServer(const std::string& key) {
    const std::string trimmedKey = text::TrimRight(key);
    const int slot = FindSlot(trimmedKey);
    return slot ? text::TrimRight(rows_[slot].serverUrl) : kNoServerPathFound + trimmedKey;
}

std::string RouteTable::FindBrowserPath(const std::string& key) {
    const std::string trimmedKey = text::TrimRight(key);
    const int slot = FindSlot(trimmedKey);
    return slot ? text::TrimRight(rows_[slot].browserPath) : kNoServerPathFound + trimmedKey;
}
