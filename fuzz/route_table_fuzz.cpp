// The route table from any "PRoute.dat": the site mode is the file's first value, upper
// case and trimmed; slots 1-92 are the built-in rows whatever the file says; slots 93-200
// are the file's values 93-200; lookups give the first slot with an equal product name, or
// the not-found text. Keys are taken from the input: the product name of the first extra
// row long enough to have one, and the text after the file's last ";".

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "config/builtin_routes.h"
#include "config/route_table.h"
#include "fuzz_support.h"
#include "platform/fake/state.h"
#include "support/text.h"
#include "support/text_file.h"

namespace {

// The first slot whose product name equals the key, both trimmed; 0 when there is none.
int FirstSlot(const RouteTable& table, const std::string& key) {
    const std::string trimmedKey = text::TrimRight(key);
    for (int slot = 1; slot <= RouteTable::kSlots; ++slot) {
        if (text::TrimRight(table.Row(slot).productName) == trimmedKey) return slot;
    }
    return 0;
}

// The lookup worked out from the rows as they stand.
std::string ExpectedLookup(const RouteTable& table, const std::string& key, std::string RouteTableRow::*column) {
    const int slot = FirstSlot(table, key);
    return slot ? text::TrimRight(table.Row(slot).*column) : kNoServerPathFound + text::TrimRight(key);
}

void CheckLookups(RouteTable& table, const std::string& key) {
    const std::string server = table.FindServer(key);
    const std::string browserPath = table.FindBrowserPath(key);
    FUZZ_CHECK(server == ExpectedLookup(table, key, &RouteTableRow::serverUrl));
    FUZZ_CHECK(browserPath == ExpectedLookup(table, key, &RouteTableRow::browserPath));
    FUZZ_CHECK(server.empty() || !fuzz::IsWhiteSpace(server.back()));
    FUZZ_CHECK(browserPath.empty() || !fuzz::IsWhiteSpace(browserPath.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = fuzz::Bytes(data, size);
    fuzz::InPrivateFolder folder;
    fuzz::WriteFile(kSiteRouteFileName, file);

    auto table = std::make_unique<RouteTable>();

    // The file's values as the reader gives them, value n in element n.
    auto values = std::make_unique<std::string[]>(RouteTable::kSlots + 1);
    FUZZ_CHECK(ReadFields(kSiteRouteFileName, ";", values.get() + 1, RouteTable::kSlots));

    const std::string& siteMode = table->SiteMode();
    FUZZ_CHECK(siteMode == text::TrimRight(text::ToUpper(values[1])));
    FUZZ_CHECK(siteMode.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos);
    FUZZ_CHECK(siteMode.empty() || !fuzz::IsWhiteSpace(siteMode.back()));

    FUZZ_CHECK(table->RawRow(0).empty());
    FUZZ_CHECK(table->Row(0).productName.empty() && table->Row(0).serverUrl.empty());
    for (int slot = 1; slot <= kBuiltinRouteCount; ++slot) {
        FUZZ_CHECK(table->RawRow(slot) == BuiltinRouteRows()[slot - 1]);
    }
    std::string rowKey;
    int rowKeySlot = 0;
    for (int slot = kBuiltinRouteCount + 1; slot <= RouteTable::kSlots; ++slot) {
        FUZZ_CHECK(table->RawRow(slot) == values[slot]);
        const RouteTableRow& row = table->Row(slot);
        FUZZ_CHECK(row.serverUrl.empty() || !fuzz::IsWhiteSpace(row.serverUrl.back()));
        FUZZ_CHECK(row.browserPath.empty() || !fuzz::IsWhiteSpace(row.browserPath.back()));
        if (rowKey.empty() && values[slot].size() >= 60) {
            rowKey = values[slot].substr(30, 60);
            rowKeySlot = slot;
            FUZZ_CHECK(row.productName == rowKey);
        }
    }

    if (!text::TrimRight(rowKey).empty()) {
        // The row the key came from, or one before it, is found.
        const int found = FirstSlot(*table, rowKey);
        FUZZ_CHECK(found >= 1 && found <= rowKeySlot);
        CheckLookups(*table, rowKey);
    }
    const std::size_t lastSeparator = file.rfind(';');
    CheckLookups(*table, lastSeparator == std::string::npos ? file : file.substr(lastSeparator + 1));

    FUZZ_CHECK(fake::Platform().messages.empty());
    return 0;
}
