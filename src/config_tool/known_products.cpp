#include "config_tool/known_products.h"

#include <set>

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
