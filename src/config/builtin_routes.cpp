#include "config/builtin_routes.h"

#include <cstddef>

#include "config/route_row.h"

namespace {

// ---- Customers, their live servers and their product folders ----------------------------

constexpr char kAshcroft[] = "Ashcroft Casualty";
constexpr char kBellmoor[] = "Bellmoor Mutual";
constexpr char kCindral[] = "Cindral Insurance";
constexpr char kDunvale[] = "Dunvale Farm Bureau";
constexpr char kElmfield[] = "Elmfield Indemnity";
constexpr char kFarwater[] = "Farwater General";
constexpr char kGlenhaven[] = "Glenhaven Mutual";
constexpr char kHollisford[] = "Hollisford Assurance";
constexpr char kIronbark[] = "Ironbark Specialty";
constexpr char kJuniper[] = "Juniper Ridge Mutual";
constexpr char kKestrel[] = "Kestrel Lane Mutual";
constexpr char kLowmarsh[] = "Lowmarsh Casualty";
constexpr char kMarbly[] = "Marbly Point Mutual";
constexpr char kNorthwold[] = "Northwold Insurance";
constexpr char kOakrest[] = "Oakrest General";
constexpr char kPellandine[] = "Pellandine Mutual";
constexpr char kQuarryHill[] = "Quarry Hill Fire";
constexpr char kRedwick[] = "Redwick Assurance";
constexpr char kStonebrook[] = "Stonebrook Mutual";
constexpr char kTwinRiver[] = "Twin River Casualty";

constexpr char kAshcroftLive[] = "http://rate.ashcroft.example";
constexpr char kBellmoorLive[] = "http://quotes.bellmoor.example";
constexpr char kCindralLive[] = "http://krn.cindral.example";
constexpr char kDunvaleLive[] = "http://quotes.dunvalefb.example";
constexpr char kElmfieldLive[] = "http://web.elmfield.example";
constexpr char kFarwaterLive[] = "http://quotes.farwater.example";
constexpr char kGlenhavenLive[] = "http://quotes.glenhaven.example";
constexpr char kHollisfordLive[] = "http://www.hollisford.example/krn";
constexpr char kIronbarkLive[] = "http://rating.ironbark.example";
constexpr char kJuniperLive[] = "http://quotes.juniperridge.example";
constexpr char kKestrelPersonalLive[] = "http://quotes.kestrellane.example";
constexpr char kKestrelCommercialLive[] = "http://commercial.kestrellane.example";
constexpr char kLowmarshLive[] = "http://krn.lowmarsh.example";
constexpr char kMarblyLive[] = "http://quotes.marblypoint.example";
constexpr char kNorthwoldLive[] = "http://krn.northwold.example";
constexpr char kOakrestLive[] = "http://quotes.oakrest.example";
constexpr char kPellandineLive[] = "http://web.pellandine.example";
constexpr char kQuarryHillLive[] = "http://quotes.quarryhill.example";
constexpr char kRedwickLive[] = "http://krn.redwick.example";
constexpr char kStonebrookLive[] = "http://quotes.stonebrook.example";
constexpr char kTwinRiverLive[] = "http://portal.twinriver.example/quoting";

constexpr char kUndefined[] = "UNDEFINED";  // the product has no local launch page
constexpr char kBellmoorPersonalPath[] = "C:\\KRN\\BELLMOOR\\PERSONAL";
constexpr char kBellmoorFarmPath[] = "C:\\KRN\\BELLMOOR\\FARM";
constexpr char kGlenhavenPath[] = "C:\\KRN\\GLENHAVEN";
constexpr char kMarblyPath[] = "C:\\KRN\\MARBLY";
constexpr char kNorthwoldPath[] = "C:\\KRN\\NORTHWOLD";
constexpr char kOakrestPath[] = "C:\\KRN\\OAKREST";
constexpr char kPellandinePath[] = "C:\\KRN\\PELLANDINE";
constexpr char kQuarryHillPath[] = "C:\\KRN\\QUARRYHILL";
constexpr char kRedwickPath[] = "C:\\KRN\\REDWICK";
constexpr char kStonebrookPath[] = "C:\\KRN\\STONEBROOK";
constexpr char kTwinRiverPath[] = "C:\\KRN\\TWINRIVER";

// ---- The rows --------------------------------------------------------------------------

struct RouteValues {
    const char* company;
    const char* raterCode;
    const char* state;
    const char* productName;
    const char* serverUrl;
    const char* browserPath;
    std::size_t browserPathWidth;  // 48 or 50: the rows were not all cut to one width
};

constexpr std::size_t kWide = 50;
constexpr std::size_t kNarrow = 48;

// A product sold through both ITC and QQ appears once for each rater, ITC first.
constexpr RouteValues kRoutes[kBuiltinRouteCount] = {
    {kBellmoor, "ITC", "OH", "BELLMOOR PERSONAL AUTO", kBellmoorLive, kBellmoorPersonalPath, kWide},
    {kBellmoor, "QQ", "OH", "BELLMOOR PERSONAL AUTO", kBellmoorLive, kBellmoorPersonalPath, kWide},
    {kBellmoor, "ITC", "OH", "BELLMOOR HOMEOWNERS", kBellmoorLive, kBellmoorPersonalPath, kWide},
    {kBellmoor, "QQ", "OH", "BELLMOOR HOMEOWNERS", kBellmoorLive, kBellmoorPersonalPath, kWide},
    {kBellmoor, "FSC", "OH", "BELLMOOR DWELLING FIRE", kBellmoorLive, kBellmoorPersonalPath, kWide},
    {kBellmoor, "ITC", "IN", "BELLMOOR INDIANA AUTO", kBellmoorLive, kBellmoorPersonalPath, kWide},
    {kBellmoor, "AAR", "OH", "BELLMOOR AUTO SELECT", kBellmoorLive, kBellmoorPersonalPath, kWide},
    {kBellmoor, "ITC", "OH", "BELLMOOR FARMOWNERS", kBellmoorLive, kBellmoorFarmPath, kWide},
    {kBellmoor, "FSC", "OH", "BELLMOOR FARM AUTO", kBellmoorLive, kBellmoorFarmPath, kWide},
    {kBellmoor, "QQ", "IN", "BELLMOOR HOBBY FARM", kBellmoorLive, kBellmoorFarmPath, kWide},

    {kGlenhaven, "ITC", "PA", "GLENHAVEN PREFERRED AUTO", kGlenhavenLive, kGlenhavenPath, kWide},
    {kGlenhaven, "QQ", "PA", "GLENHAVEN STANDARD AUTO", kGlenhavenLive, kGlenhavenPath, kWide},
    {kGlenhaven, "ITC", "PA", "GLENHAVEN HOMEOWNERS", kGlenhavenLive, kGlenhavenPath, kWide},
    {kGlenhaven, "FSC", "PA", "GLENHAVEN RENTERS", kGlenhavenLive, kGlenhavenPath, kWide},
    {kGlenhaven, "ITC", "NJ", "GLENHAVEN NEW JERSEY AUTO", kGlenhavenLive, kGlenhavenPath, kWide},
    {kGlenhaven, "AAR", "PA", "GLENHAVEN AUTO CHOICE", kGlenhavenLive, kGlenhavenPath, kWide},

    {kMarbly, "ITC", "MI", "MARBLY POINT AUTO", kMarblyLive, kMarblyPath, kNarrow},
    {kMarbly, "QQ", "MI", "MARBLY POINT AUTO", kMarblyLive, kMarblyPath, kNarrow},
    {kMarbly, "ITC", "MI", "MARBLY POINT HOME", kMarblyLive, kMarblyPath, kNarrow},
    {kMarbly, "FSC", "MI", "MARBLY POINT CONDO", kMarblyLive, kMarblyPath, kNarrow},
    {kMarbly, "ITC", "WI", "MARBLY POINT WISCONSIN AUTO", kMarblyLive, kMarblyPath, kNarrow},
    {kMarbly, "QQ", "WI", "MARBLY POINT WISCONSIN HOME", kMarblyLive, kMarblyPath, kNarrow},
    {kMarbly, "FSC", "MI", "MARBLY POINT UMBRELLA", kMarblyLive, kMarblyPath, kNarrow},

    {kNorthwold, "ITC", "MN", "NORTHWOLD AUTO", kNorthwoldLive, kNorthwoldPath, kNarrow},
    {kNorthwold, "QQ", "MN", "NORTHWOLD HOMEOWNERS", kNorthwoldLive, kNorthwoldPath, kNarrow},
    {kNorthwold, "FSC", "MN", "NORTHWOLD RENTERS", kNorthwoldLive, kNorthwoldPath, kNarrow},
    {kNorthwold, "ITC", "ND", "NORTHWOLD NORTH DAKOTA AUTO", kNorthwoldLive, kNorthwoldPath, kNarrow},
    {kNorthwold, "ITC", "MN", "NORTHWOLD MOTORCYCLE", kNorthwoldLive, kNorthwoldPath, kNarrow},
    {kNorthwold, "AAR", "MN", "NORTHWOLD AUTO ADVANTAGE", kNorthwoldLive, kNorthwoldPath, kNarrow},
    {kNorthwold, "QQ", "ND", "NORTHWOLD FARM AND RANCH", kNorthwoldLive, kNorthwoldPath, kNarrow},

    {kOakrest, "ITC", "GA", "OAKREST SIGNATURE AUTO", kOakrestLive, kOakrestPath, kWide},
    {kOakrest, "QQ", "GA", "OAKREST STANDARD HOMEOWNERS", kOakrestLive, kOakrestPath, kWide},
    {kOakrest, "FSC", "GA", "OAKREST MOBILE HOME", kOakrestLive, kOakrestPath, kWide},
    {kOakrest, "ITC", "SC", "OAKREST SOUTH CAROLINA AUTO", kOakrestLive, kOakrestPath, kWide},
    {kOakrest, "ITC", "GA", "OAKREST NON-STANDARD AUTO", kOakrestLive, kOakrestPath, kWide},
    {kOakrest, "FSC", "SC", "OAKREST DWELLING", kOakrestLive, kOakrestPath, kWide},

    {kPellandine, "ITC", "VA", "PELLANDINE AUTO", kPellandineLive, kPellandinePath, kWide},
    {kPellandine, "QQ", "VA", "PELLANDINE HOME", kPellandineLive, kPellandinePath, kWide},
    {kPellandine, "ITC", "VA", "PELLANDINE CONDOMINIUM", kPellandineLive, kPellandinePath, kWide},
    {kPellandine, "FSC", "MD", "PELLANDINE MARYLAND AUTO", kPellandineLive, kPellandinePath, kWide},
    {kPellandine, "ITC", "MD", "PELLANDINE MARYLAND HOME", kPellandineLive, kPellandinePath, kWide},
    {kPellandine, "AAR", "VA", "PELLANDINE AUTO EXPRESS", kPellandineLive, kPellandinePath, kWide},

    {kQuarryHill, "ITC", "VT", "QUARRY HILL HOMEOWNERS", kQuarryHillLive, kQuarryHillPath, kNarrow},
    {kQuarryHill, "QQ", "VT", "QUARRY HILL DWELLING FIRE", kQuarryHillLive, kQuarryHillPath, kNarrow},
    {kQuarryHill, "ITC", "NH", "QUARRY HILL NEW HAMPSHIRE HOME", kQuarryHillLive, kQuarryHillPath, kNarrow},
    {kQuarryHill, "FSC", "VT", "QUARRY HILL SEASONAL DWELLING", kQuarryHillLive, kQuarryHillPath, kNarrow},
    {kQuarryHill, "ITC", "VT", "QUARRY HILL AUTO", kQuarryHillLive, kQuarryHillPath, kNarrow},
    {kQuarryHill, "QQ", "NH", "QUARRY HILL RENTERS", kQuarryHillLive, kQuarryHillPath, kNarrow},

    {kRedwick, "ITC", "TX", "REDWICK AUTO", kRedwickLive, kRedwickPath, kWide},
    {kRedwick, "QQ", "TX", "REDWICK AUTO", kRedwickLive, kRedwickPath, kWide},
    {kRedwick, "ITC", "TX", "REDWICK HOMEOWNERS", kRedwickLive, kRedwickPath, kWide},
    {kRedwick, "FSC", "TX", "REDWICK LANDLORD", kRedwickLive, kRedwickPath, kWide},
    {kRedwick, "ITC", "OK", "REDWICK OKLAHOMA AUTO", kRedwickLive, kRedwickPath, kWide},
    {kRedwick, "AAR", "TX", "REDWICK AUTO PREFERRED", kRedwickLive, kRedwickPath, kWide},

    {kStonebrook, "ITC", "KY", "STONEBROOK AUTO", kStonebrookLive, kStonebrookPath, kNarrow},
    {kStonebrook, "QQ", "KY", "STONEBROOK HOMEOWNERS", kStonebrookLive, kStonebrookPath, kNarrow},
    {kStonebrook, "FSC", "KY", "STONEBROOK FARMOWNERS", kStonebrookLive, kStonebrookPath, kNarrow},
    {kStonebrook, "ITC", "TN", "STONEBROOK TENNESSEE AUTO", kStonebrookLive, kStonebrookPath, kNarrow},
    {kStonebrook, "QQ", "TN", "STONEBROOK TENNESSEE HOME", kStonebrookLive, kStonebrookPath, kNarrow},
    {kStonebrook, "ITC", "KY", "STONEBROOK CLASSIC CAR", kStonebrookLive, kStonebrookPath, kNarrow},

    {kTwinRiver, "ITC", "IA", "TWIN RIVER AUTO", kTwinRiverLive, kTwinRiverPath, kWide},
    {kTwinRiver, "QQ", "IA", "TWIN RIVER HOMEOWNERS", kTwinRiverLive, kTwinRiverPath, kWide},
    {kTwinRiver, "FSC", "IA", "TWIN RIVER RENTERS", kTwinRiverLive, kTwinRiverPath, kWide},
    {kTwinRiver, "ITC", "NE", "TWIN RIVER NEBRASKA AUTO", kTwinRiverLive, kTwinRiverPath, kWide},
    {kTwinRiver, "AAR", "IA", "TWIN RIVER AUTO PLUS", kTwinRiverLive, kTwinRiverPath, kWide},
    {kTwinRiver, "QQ", "NE", "TWIN RIVER NEBRASKA HOME", kTwinRiverLive, kTwinRiverPath, kWide},

    {kAshcroft, "ITC", "IL", "ASHCROFT AUTO", kAshcroftLive, kUndefined, kWide},
    {kAshcroft, "QQ", "IL", "ASHCROFT HOMEOWNERS", kAshcroftLive, kUndefined, kWide},
    {kAshcroft, "FSC", "IL", "ASHCROFT RENTERS", kAshcroftLive, kUndefined, kWide},

    {kCindral, "ITC", "CO", "CINDRAL AUTO", kCindralLive, kUndefined, kWide},
    {kCindral, "QQ", "CO", "CINDRAL AUTO", kCindralLive, kUndefined, kWide},
    {kCindral, "FSC", "CO", "CINDRAL HOME", kCindralLive, kUndefined, kWide},

    {kDunvale, "ITC", "KS", "DUNVALE FARM BUREAU AUTO", kDunvaleLive, kUndefined, kWide},
    {kDunvale, "FSC", "KS", "DUNVALE FARM BUREAU HOME", kDunvaleLive, kUndefined, kWide},
    {kDunvale, "AAR", "KS", "DUNVALE FARM BUREAU AUTO SELECT", kDunvaleLive, kUndefined, kWide},

    {kElmfield, "ITC", "AZ", "ELMFIELD NON-STANDARD AUTO", kElmfieldLive, kUndefined, kWide},
    {kElmfield, "QQ", "AZ", "ELMFIELD RENTERS", kElmfieldLive, kUndefined, kWide},

    {kFarwater, "ITC", "OR", "FARWATER AUTO", kFarwaterLive, kUndefined, kWide},
    {kFarwater, "QQ", "OR", "FARWATER HOMEOWNERS", kFarwaterLive, kUndefined, kWide},
    {kFarwater, "FSC", "WA", "FARWATER WASHINGTON AUTO", kFarwaterLive, kUndefined, kWide},

    {kHollisford, "ITC", "NY", "HOLLISFORD AUTO", kHollisfordLive, kUndefined, kWide},
    {kHollisford, "FSC", "NY", "HOLLISFORD HOMEOWNERS", kHollisfordLive, kUndefined, kWide},

    {kIronbark, "ITC", "FL", "IRONBARK SPECIALTY AUTO", kIronbarkLive, kUndefined, kNarrow},
    {kIronbark, "AAR", "FL", "IRONBARK MOTORCYCLE", kIronbarkLive, kUndefined, kNarrow},

    {kJuniper, "ITC", "NC", "JUNIPER RIDGE AUTO", kJuniperLive, kUndefined, kWide},
    {kJuniper, "QQ", "NC", "JUNIPER RIDGE HOMEOWNERS", kJuniperLive, kUndefined, kWide},
    {kJuniper, "FSC", "NC", "JUNIPER RIDGE DWELLING", kJuniperLive, kUndefined, kWide},

    {kKestrel, "ITC", "MO", "KESTREL LANE PERSONAL AUTO", kKestrelPersonalLive, kUndefined, kWide},
    {kKestrel, "QQ", "MO", "KESTREL LANE HOMEOWNERS", kKestrelPersonalLive, kUndefined, kWide},
    {kKestrel, "ITC", "MO", "KESTREL LANE BUSINESS AUTO", kKestrelCommercialLive, kUndefined, kWide},

    {kLowmarsh, "QQ", "LA", "LOWMARSH AUTO", kLowmarshLive, kUndefined, kNarrow},
    {kLowmarsh, "FSC", "LA", "LOWMARSH HOMEOWNERS", kLowmarshLive, kUndefined, kNarrow},
};

std::string RowText(const RouteValues& route) {
    return route_row::Row(route.company, route.raterCode, route.state, route.productName, route.serverUrl,
                          route.browserPath, route.browserPathWidth);
}

// ---- The site rules ------------------------------------------------------------------------

// Bellmoor and Quarry Hill keep their test folders inside the live folder; the others keep
// them in sibling trees beside C:\KRN.
const std::array<SiteRule, kSiteRuleCount> kSiteRules = {{
    // Bellmoor's two product folders share one server, so each code switches the server of
    // every Bellmoor row but only its own folder.
    {"BELPER", kBellmoorLive, "http://quotes-dev.bellmoor.example", "http://quotes-support.bellmoor.example", "",
     kBellmoorPersonalPath, "C:\\KRN\\BELLMOOR\\PERSONAL\\DEV", "C:\\KRN\\BELLMOOR\\PERSONAL\\SUPPORT", ""},
    {"BELFRM", kBellmoorLive, "http://quotes-dev.bellmoor.example", "http://quotes-support.bellmoor.example", "",
     kBellmoorFarmPath, "C:\\KRN\\BELLMOOR\\FARM\\DEV", "C:\\KRN\\BELLMOOR\\FARM\\SUPPORT", ""},

    {"ASHCR1", kAshcroftLive, "http://rate-dev.ashcroft.example", "http://rate-support.ashcroft.example", "", "", "",
     "", ""},
    {"CINDRL", kCindralLive, "http://krndev.cindral.example", "http://krnsupport.cindral.example", "", "", "", "", ""},
    {"DUNVFB", kDunvaleLive, "http://devquotes.dunvalefb.example", "http://supquotes.dunvalefb.example", "", "", "", "",
     ""},
    {"ELMFLD", kElmfieldLive, "http://web-dev.elmfield.example", "http://web-support.elmfield.example", "", "", "", "",
     ""},
    {"FARWTR", kFarwaterLive, "http://dev.farwater.example", "http://support.farwater.example", "", "", "", "", ""},

    {"GLNHVN", kGlenhavenLive, "http://quotes-dev.glenhaven.example", "http://quotes-support.glenhaven.example",
     "http://quotes-staging.glenhaven.example", "", "", "", ""},
    {"HOLLIS", kHollisfordLive, "http://dev.hollisford.example/krn", "http://support.hollisford.example/krn",
     "http://staging.hollisford.example/krn", "", "", "", ""},
    {"IRNBRK", kIronbarkLive, "http://rating-dev.ironbark.example", "http://rating-support.ironbark.example",
     "http://rating-staging.ironbark.example", "", "", "", ""},
    {"JUNIPR", kJuniperLive, "http://quotes-dev.juniperridge.example", "http://quotes-support.juniperridge.example",
     "http://quotes-staging.juniperridge.example", "", "", "", ""},
    {"KESTRL", kKestrelPersonalLive, "http://quotes-dev.kestrellane.example",
     "http://quotes-support.kestrellane.example", "http://quotes-staging.kestrellane.example", "", "", "", ""},
    {"KESTRL", kKestrelCommercialLive, "http://commercial-dev.kestrellane.example",
     "http://commercial-support.kestrellane.example", "http://commercial-staging.kestrellane.example", "", "", "", ""},
    {"LOWMSH", kLowmarshLive, "http://krn-dev.lowmarsh.example", "http://krn-support.lowmarsh.example",
     "http://krn-staging.lowmarsh.example", "", "", "", ""},

    {"MARBLY", kMarblyLive, "http://quotes-dev.marblypoint.example", "http://quotes-support.marblypoint.example",
     "http://quotes-staging.marblypoint.example", kMarblyPath, "C:\\KRNDEV\\MARBLY", "C:\\KRNSUP\\MARBLY",
     "C:\\KRNSTAGE\\MARBLY"},
    {"NRTHWD", kNorthwoldLive, "http://krn-dev.northwold.example", "http://krn-support.northwold.example",
     "http://krn-staging.northwold.example", kNorthwoldPath, "C:\\KRNDEV\\NORTHWOLD", "C:\\KRNSUP\\NORTHWOLD",
     "C:\\KRNSTAGE\\NORTHWOLD"},
    {"OAKRST", kOakrestLive, "http://quotes-dev.oakrest.example", "http://quotes-support.oakrest.example",
     "http://quotes-staging.oakrest.example", kOakrestPath, "C:\\KRNDEV\\OAKREST", "C:\\KRNSUP\\OAKREST",
     "C:\\KRNSTAGE\\OAKREST"},
    {"PELLAN", kPellandineLive, "http://web-dev.pellandine.example", "http://web-support.pellandine.example",
     "http://web-staging.pellandine.example", kPellandinePath, "C:\\KRNDEV\\PELLANDINE", "C:\\KRNSUP\\PELLANDINE",
     "C:\\KRNSTAGE\\PELLANDINE"},

    {"QHFIRE", kQuarryHillLive, "http://quotes-dev.quarryhill.example", "http://quotes-support.quarryhill.example", "",
     kQuarryHillPath, "C:\\KRN\\QUARRYHILL_DEV", "C:\\KRN\\QUARRYHILL_SUP", ""},

    {"REDWCK", kRedwickLive, "http://krn-dev.redwick.example", "http://krn-support.redwick.example",
     "http://krn-staging.redwick.example", kRedwickPath, "C:\\KRNDEV\\REDWICK", "C:\\KRNSUP\\REDWICK", ""},
    {"STNBRK", kStonebrookLive, "http://quotes-dev.stonebrook.example", "http://quotes-support.stonebrook.example",
     "http://quotes-staging.stonebrook.example", kStonebrookPath, "C:\\KRNDEV\\STONEBROOK", "C:\\KRNSUP\\STONEBROOK",
     ""},
    {"TWINR2", kTwinRiverLive, "http://portal-dev.twinriver.example/quoting",
     "http://portal-support.twinriver.example/quoting", "http://portal-staging.twinriver.example/quoting",
     kTwinRiverPath, "C:\\KRNDEV\\TWINRIVER", "C:\\KRNSUP\\TWINRIVER", ""},
}};

}  // namespace

const std::array<std::string, kBuiltinRouteCount>& BuiltinRouteRows() {
    static const std::array<std::string, kBuiltinRouteCount> rows = [] {
        std::array<std::string, kBuiltinRouteCount> texts;
        for (int i = 0; i < kBuiltinRouteCount; ++i) texts[i] = RowText(kRoutes[i]);
        return texts;
    }();
    return rows;
}

const std::array<SiteRule, kSiteRuleCount>& SiteRules() {
    return kSiteRules;
}
