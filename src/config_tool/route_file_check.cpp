#include "config_tool/route_file_check.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "config/builtin_routes.h"
#include "config/route_table.h"
#include "config_tool/line_shape_check.h"
#include "support/field_reader.h"
#include "support/text.h"

namespace {

bool BeginsWith(const std::string& value, const std::string& start) {
    return value.compare(0, start.size(), start) == 0;
}

// The slot before `number` whose product is `product`, or 0: the lookups take the first.
int EarlierSlotOf(const RouteTable& table, const std::string& product, int number) {
    for (int slot = 1; slot < number; ++slot) {
        if (text::TrimRight(table.Row(slot).productName) == product) return slot;
    }
    return 0;
}

// Slot `number` as the route table split it: only the columns the row is long enough for.
void CheckRow(const RouteTable& table, int number, Findings& findings) {
    const RouteTableRow& row = table.Row(number);
    const auto problem = [&](std::string text) {
        findings.push_back(Problem(Finding::Place::kValue, number, std::move(text)));
    };
    const std::string product = text::TrimRight(row.productName);
    const std::string& server = row.serverUrl;
    if (product.empty()) problem("the route row has no product name (columns 30 to 89)");
    if (server.empty()) {
        problem("the route row has no server (columns 90 to 189)");
    } else if (!BeginsWith(server, "http://") && !BeginsWith(server, "https://")) {
        problem("the route row's server \"" + server + "\" does not begin with http:// or https://");
    }
    if (product.empty()) return;
    const int earlier = EarlierSlotOf(table, product, number);
    if (earlier == 0) return;
    if (earlier <= kBuiltinRouteCount) {
        problem("the product \"" + product +
                "\" is built into the program, and the built-in row wins: this row is never used");
    } else {
        problem("the product \"" + product + "\" has a route row before this one, which wins: this row is never used");
    }
}

}  // namespace

Findings CheckRouteFile(const std::string& bytes) {
    Findings findings = CheckLineShape(bytes, std::nullopt);
    // One value past what the table holds is enough to tell that there are more.
    std::vector<std::string> values(RouteTable::kSlots + 1);
    FieldReader reader(';', values.data(), values.size());
    reader.Take(bytes);
    if (reader.Overflowed() || reader.Stored() > static_cast<std::size_t>(RouteTable::kSlots)) {
        findings.push_back(Problem(Finding::Place::kValue, RouteTable::kSlots + 1,
                                   "the route table holds " + std::to_string(RouteTable::kSlots) +
                                       " values: this one and every later one are never read"));
    }
    const int stored = static_cast<int>(std::min<std::size_t>(reader.Stored(), RouteTable::kSlots));
    const auto table = std::make_unique<RouteTable>(bytes);
    for (int number = 2; number <= stored; ++number) {
        const std::string& value = values[number - 1];
        if (number < kFirstSiteRouteValue) {
            if (!text::TrimRight(value).empty()) {
                findings.push_back(Warning(Finding::Place::kValue, number,
                                           "holds text, but values 2 to 92 are never read: route rows begin at value " +
                                               std::to_string(kFirstSiteRouteValue)));
            }
            continue;
        }
        CheckRow(*table, number, findings);
    }
    return findings;
}
