// The routes built into the program: one fixed-width row per customer product (the layout of
// route_row.h), and the site rules that switch a customer's rows from its live site to its
// development, support or staging site.
//
// Every server address is a host under ".example", which never resolves, so no row or rule
// can send a quote to a machine by accident.
#pragma once

#include <array>
#include <string>

constexpr int kBuiltinRouteCount = 92;
constexpr int kSiteRuleCount = 22;

// The built-in rows in their fixed order, each 238 or 240 characters long.
const std::array<std::string, kBuiltinRouteCount>& BuiltinRouteRows();

// One customer's switch. A rule acts when its route code appears in the site mode text; it
// replaces its live server address (and, when it has browser paths, its live browser path)
// by the address of the site the mode asks for. Absent values are empty texts.
struct SiteRule {
    const char* routeCode;  // six upper-case letters or digits
    const char* liveServerUrl;
    const char* devServerUrl;
    const char* supportServerUrl;
    const char* stagingServerUrl;  // empty when the customer has no staging site
    const char* liveBrowserPath;   // empty when the rule leaves browser paths alone
    const char* devBrowserPath;
    const char* supportBrowserPath;
    const char* stagingBrowserPath;  // empty when the staging site uses the live folder

    bool HasStagingServer() const { return *stagingServerUrl != '\0'; }
    bool HasBrowserPaths() const { return *liveBrowserPath != '\0'; }
    bool HasStagingBrowserPath() const { return *stagingBrowserPath != '\0'; }
};

// The rules in the order they are applied. The 12th and 13th share one route code: that
// customer runs two server families, and one code switches both.
const std::array<SiteRule, kSiteRuleCount>& SiteRules();
