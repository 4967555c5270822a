// The checks of an agency's settings file ("Vantrel.dat"): the rules the Setup window holds
// the agent's values to, and the shape of the file the program's own save writes, so that
// a file made outside the window imports at once and survives the agent's first Setup save.
#pragma once

#include <string>

#include "config/import_settings.h"
#include "config/route_table.h"
#include "config_tool/finding.h"

// The value's number in the file (1 to 10) and the name the tool gives it.
struct SettingsValueName {
    int number;
    const char* name;
};
SettingsValueName NameOfValue(std::string ImportSettings::*field);

// Everything wrong with the values of a record, each named by its value number:
//  - a value that holds ";" or a line break;
//  - a value longer than its Setup field takes;
//  - a post file or launch file that begins with "/";
//  - a rater that is not one of the eight codes;
//  - a server address the agent's next Setup save would correct (a warning: the import takes
//    its server from the routes, so only the agent is bothered).
Findings CheckSettingsValues(const ImportSettings& settings);

// The product name that no row of `routes` knows, with up to five known names closest to it.
Findings CheckProduct(const ImportSettings& settings, RouteTable& routes);

// The shape of the file's lines, then its values as the program reads them.
Findings CheckSettingsFile(const std::string& bytes);
