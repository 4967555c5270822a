#include "config_tool/route_file_writer.h"

#include <cstddef>

#include "config/route_row.h"
#include "config_tool/route_file_check.h"

std::vector<std::string> RouteFileValues(const std::string& siteMode, const std::vector<RouteRowColumns>& rows) {
    std::vector<std::string> values(kFirstSiteRouteValue - 1);
    values[0] = siteMode;
    for (const RouteRowColumns& row : rows) {
        values.push_back(
            route_row::Row(row.company, row.raterCode, row.state, row.productName, row.serverUrl, row.browserPath));
    }
    return values;
}

Findings CheckRouteColumns(const std::vector<RouteRowColumns>& rows) {
    struct Column {
        std::string RouteRowColumns::*value;
        const char* name;
        std::size_t width;
    };
    const Column columns[] = {
        {&RouteRowColumns::company, "company", route_row::kCompanyWidth},
        {&RouteRowColumns::raterCode, "rater", route_row::kRaterCodeWidth},
        {&RouteRowColumns::state, "state", route_row::kStateWidth},
        {&RouteRowColumns::productName, "product", route_row::kProductNameWidth},
        {&RouteRowColumns::serverUrl, "server", route_row::kServerUrlWidth},
    };
    Findings findings;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (const Column& column : columns) {
            const std::string& value = rows[i].*column.value;
            if (value.size() <= column.width) continue;
            findings.push_back(Problem(Finding::Place::kValue, kFirstSiteRouteValue + static_cast<int>(i),
                                       std::string("the ") + column.name + " \"" + value + "\" is " +
                                           std::to_string(value.size()) + " characters; its column is " +
                                           std::to_string(column.width) + " wide"));
        }
    }
    return findings;
}
