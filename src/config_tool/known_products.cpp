#include "config_tool/known_products.h"

#include <memory>
#include <set>

#include "config/builtin_routes.h"
#include "config/route_row.h"
#include "support/text.h"

std::vector<KnownProduct> KnownProducts(RouteTable& routes) {
    std::vector<KnownProduct> products;
    std::set<std::string> seen;
    for (int slot = 1; slot <= RouteTable::kSlots; ++slot) {
        const std::string name = text::TrimRight(routes.Row(slot).productName);
        if (name.empty() || !seen.insert(name).second) continue;
        products.push_back({name, routes.Row(slot).serverUrl});
    }
    return products;
}

std::vector<std::string> KnownProductNames(RouteTable& routes) {
    std::vector<std::string> names;
    for (KnownProduct& product : KnownProducts(routes)) names.push_back(std::move(product.name));
    return names;
}

bool IsBuiltinProduct(const std::string& name) {
    for (const std::string& row : BuiltinRouteRows()) {
        const std::string builtin =
            text::TrimRight(route_row::Column(row, route_row::kProductNameAt, route_row::kProductNameWidth));
        if (builtin == name) return true;
    }
    return false;
}
