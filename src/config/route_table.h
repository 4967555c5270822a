// The route table: for a carrier product, the web server that receives its quotes and the
// local folder of its launch page, looked up by product name.
//
// 200 slots, numbered 1 to 200 (element 0 exists only so that slot n is element n; it stays
// empty). Slots 1-92 hold the built-in rows. "PRoute.dat", when present, gives the site mode
// text as its first value, and its values 93 to 200 become extra rows in slots 93 to 200;
// its values 2 to 92 land under the built-in rows and count for nothing.
//
// The site mode text is searched for route codes and the keywords DEVSITE, SUPPORTSITE or
// SUPSITE, STAGINGSITE or STAGESITE. A code together with a keyword switches that customer's
// rows to its development, support or staging site before any lookup, so a tester can aim
// imports at a test server without touching the agent's settings.
#pragma once

#include <optional>
#include <string>

#include "support/field_reader.h"

// The six columns of one slot.
struct RouteTableRow {
    std::string company;      // positions 0-19, with its filling blanks
    std::string raterCode;    // 20-24, with its filling blanks
    std::string state;        // 25-29, with its filling blanks
    std::string productName;  // 30-89; the lookups trim it in place
    std::string serverUrl;    // 90-189, trimmed
    std::string browserPath;  // 190 to the end, trimmed; "UNDEFINED" when there is no local launch page
};

class RouteTable {
public:
    static constexpr int kSlots = 200;

    RouteTable();
    // Builds the table from a site file held in memory (BuildFromSiteFile), or, with none, as
    // Build does when there is no "PRoute.dat", without touching the program folder's own
    // file: the configuration tool's tables are of the files it is given.
    explicit RouteTable(const std::optional<std::string>& siteFileText);

    // Empties every slot, reads "PRoute.dat" when it exists (no file: site mode "LIVE"; a file
    // that exists but cannot be read: site mode empty), puts the built-in rows in slots 1-92,
    // splits every slot into its columns and applies the site rules.
    void Build();

    // Builds the table as Build does when "PRoute.dat" holds `siteFileText`: its values are
    // cut by the same reader that Build gives the file's bytes to.
    void BuildFromSiteFile(const std::string& siteFileText);

    // The server address (or the browser path) of the first slot whose product name equals
    // the key, both with trailing white space removed; case matters and leading blanks
    // count. Nothing without an equal slot.
    [[nodiscard]] std::optional<std::string> FindServer(const std::string& key);
    [[nodiscard]] std::optional<std::string> FindBrowserPath(const std::string& key);

    // Upper case, trailing white space removed.
    const std::string& SiteMode() const { return siteMode_; }
    const std::string& RawRow(int slot) const { return rawRows_[slot]; }
    const RouteTableRow& Row(int slot) const { return rows_[slot]; }

private:
    // Empties the raw rows and every slot but the built-in ones (FinishBuild overwrites
    // those whole); the reader stores the site file's values in their slots.
    FieldReader StartBuild();
    // Settles the site mode, puts in the built-in rows, splits every slot and applies the
    // site rules.
    void FinishBuild();

    // The first slot whose trimmed product name equals the trimmed key, or 0. Trims the
    // product names of the slots it passes.
    int FindSlot(const std::string& trimmedKey);

    std::string siteMode_;
    std::string rawRows_[kSlots + 1];
    RouteTableRow rows_[kSlots + 1];
};

inline const char kSiteRouteFileName[] = "PRoute.dat";

// What the import goes on with after a lookup: the value found, or, when there is none,
// "No Server Path Found " and the trimmed key, used as the server host and browser path.
std::string RouteLookupText(const std::optional<std::string>& found, const std::string& key);
