// What a rater's import reads before its window opens, in the order imports have always read
// it: the settings, the old route list and the route table. Each read pauses as every read
// of the program does, and the raters that start Vantrel and wait for it know that timing.
#pragma once

#include <memory>

#include "config/import_settings.h"
#include "config/rater.h"
#include "config/route_list.h"
#include "config/route_table.h"

struct ImportInputs {
    std::unique_ptr<ImportSettings> settings;
    // Nothing consults this list: "Route.dat" is read only because imports always have read
    // it before the post. Where the file is missing that costs the reader's five seconds of
    // retries, and dropping the read would change the import's timing as agents know it.
    std::unique_ptr<RouteList> routeList;
    std::unique_ptr<RouteTable> routes;
};

ImportInputs ReadImportInputs(const RunRater& rater);
