// The route table from any "PRoute.dat": the site mode is the file's first value, upper
// case and trimmed; slots 1-92 are the built-in rows whatever the file says; slots 93-200
// are the file's values 93-200 (as fuzz::ExpectedFields reads them); lookups give the first
// slot with an equal product name, or the not-found text. Keys are taken from the input:
// the product name of the first extra row long enough to have one, or the text after the
// file's last ";". The table is built from the bytes in memory; on about one input in 16
// it is built again from the real file, which must give the same table.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/builtin_routes.h"
#include "config/route_table.h"
#include "fuzz_support.h"
#include "platform/fake/state.h"
#include "support/text.h"

namespace {

// `value` without its trailing white space, as a view (the checks look at every slot).
std::string_view Trimmed(const std::string& value) {
    std::size_t size = value.size();
    while (size > 0 && text::IsWhiteSpace(value[size - 1])) --size;
    return std::string_view(value.data(), size);
}

// The first slot whose product name equals the key, both trimmed; 0 when there is none.
int FirstSlot(const RouteTable& table, const std::string& key) {
    const std::string_view trimmedKey = Trimmed(key);
    for (int slot = 1; slot <= RouteTable::kSlots; ++slot) {
        if (Trimmed(table.Row(slot).productName) == trimmedKey) return slot;
    }
    return 0;
}

void CheckLookups(RouteTable& table, const std::string& key) {
    // The lookup worked out from the rows as they stand.
    const int slot = FirstSlot(table, key);
    const std::optional<std::string> server = table.FindServer(key);
    const std::optional<std::string> browserPath = table.FindBrowserPath(key);
    FUZZ_CHECK(server.has_value() == (slot != 0) && browserPath.has_value() == (slot != 0));
    if (!slot) return;
    FUZZ_CHECK(*server == text::TrimRight(table.Row(slot).serverUrl));
    FUZZ_CHECK(*browserPath == text::TrimRight(table.Row(slot).browserPath));
    FUZZ_CHECK(server->empty() || !text::IsWhiteSpace(server->back()));
    FUZZ_CHECK(browserPath->empty() || !text::IsWhiteSpace(browserPath->back()));
}

// Two tables kept from input to input (200 rows are costly to make), made in the private
// folder where there is no site file; every build below starts by emptying every slot.
RouteTable& Table(int which) {
    static std::unique_ptr<RouteTable> tables[2];
    if (!tables[which]) {
        fuzz::InPrivateFolder folder;
        tables[which] = std::make_unique<RouteTable>();
    }
    return *tables[which];
}

void CheckSameTable(const RouteTable& a, const RouteTable& b) {
    FUZZ_CHECK(a.SiteMode() == b.SiteMode());
    for (int slot = 0; slot <= RouteTable::kSlots; ++slot) {
        FUZZ_CHECK(a.RawRow(slot) == b.RawRow(slot));
        const RouteTableRow &x = a.Row(slot), &y = b.Row(slot);
        FUZZ_CHECK(x.company == y.company && x.raterCode == y.raterCode && x.state == y.state);
        FUZZ_CHECK(x.productName == y.productName && x.serverUrl == y.serverUrl && x.browserPath == y.browserPath);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = fuzz::Bytes(data, size);
    RouteTable& table = Table(0);
    table.BuildFromSiteFile(file);

    if (fuzz::OneIn(16, data, size)) {
        RouteTable& fromFile = Table(1);
        fuzz::InPrivateFolder folder;
        fuzz::WriteFile(kSiteRouteFileName, file);
        fromFile.Build();
        CheckSameTable(table, fromFile);
        FUZZ_CHECK(fake::Messages().empty());
    }

    // The file's values as the rules give them, value n in element n.
    std::vector<std::string> values = fuzz::ExpectedFields(file, ';');
    values.insert(values.begin(), std::string());
    values.resize(RouteTable::kSlots + 1);

    const std::string& siteMode = table.SiteMode();
    FUZZ_CHECK(siteMode == text::TrimRight(text::ToUpper(values[1])));
    FUZZ_CHECK(siteMode.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos);
    FUZZ_CHECK(siteMode.empty() || !text::IsWhiteSpace(siteMode.back()));

    FUZZ_CHECK(table.RawRow(0).empty());
    FUZZ_CHECK(table.Row(0).productName.empty() && table.Row(0).serverUrl.empty());
    for (int slot = 1; slot <= kBuiltinRouteCount; ++slot) {
        FUZZ_CHECK(table.RawRow(slot) == BuiltinRouteRows()[slot - 1]);
    }
    std::string rowKey;
    int rowKeySlot = 0;
    for (int slot = kBuiltinRouteCount + 1; slot <= RouteTable::kSlots; ++slot) {
        FUZZ_CHECK(table.RawRow(slot) == values[slot]);
        const RouteTableRow& row = table.Row(slot);
        FUZZ_CHECK(row.serverUrl.empty() || !text::IsWhiteSpace(row.serverUrl.back()));
        FUZZ_CHECK(row.browserPath.empty() || !text::IsWhiteSpace(row.browserPath.back()));
        if (rowKey.empty() && values[slot].size() >= 60) {
            rowKey = values[slot].substr(30, 60);
            rowKeySlot = slot;
            FUZZ_CHECK(row.productName == rowKey);
        }
    }

    // One lookup per input (each walks the whole table): a key the table holds on odd
    // sizes when there is one, else the text after the file's last ";".
    if (size % 2 == 1 && !text::TrimRight(rowKey).empty()) {
        // The row the key came from, or one before it, is found.
        const int found = FirstSlot(table, rowKey);
        FUZZ_CHECK(found >= 1 && found <= rowKeySlot);
        CheckLookups(table, rowKey);
    } else {
        const std::size_t lastSeparator = file.rfind(';');
        CheckLookups(table, lastSeparator == std::string::npos ? file : file.substr(lastSeparator + 1));
    }
    return 0;
}
