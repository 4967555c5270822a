// An agency's site routing file made from a site mode and route rows given column by column:
// the tool pads each column to its place, so no row can be off by a column.
#pragma once

#include <string>
#include <vector>

#include "config_tool/finding.h"

struct RouteRowColumns {
    std::string company;
    std::string raterCode;
    std::string state;
    std::string productName;
    std::string serverUrl;
    std::string browserPath;
};

// The file's values: the site mode, the placeholders up to value 92, then one row a value.
std::vector<std::string> RouteFileValues(const std::string& siteMode, const std::vector<RouteRowColumns>& rows);

// Columns wider than their place in the row, which would push every later column out of it.
// The browser path is the last column and runs to the end of the row, so it may be any length.
Findings CheckRouteColumns(const std::vector<RouteRowColumns>& rows);
