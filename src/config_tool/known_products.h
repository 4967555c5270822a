// The product names a route table knows, as the import's lookup finds them: the first row of
// each name wins, so a name is listed once, with the server of that row.
#pragma once

#include <string>
#include <vector>

#include "config/route_table.h"

struct KnownProduct {
    std::string name;
    std::string server;
};

// In slot order, skipping rows without a product name.
std::vector<KnownProduct> KnownProducts(RouteTable& routes);
std::vector<std::string> KnownProductNames(RouteTable& routes);
