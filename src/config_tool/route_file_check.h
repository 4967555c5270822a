// The checks of an agency's site routing file ("PRoute.dat"). Its first value is the site
// mode; values 2 to 92 lie under the rows built into the program and count for nothing; from
// value 93 on, each value is a fixed-width route row (route_row.h) that the import can use.
#pragma once

#include <string>

#include "config_tool/finding.h"

// The first value that can carry a route row of the file's own.
constexpr int kFirstSiteRouteValue = 93;

// The shape of the file's lines, then each value as the route table reads it:
//  - a row at values 2 to 92 (a warning: the program never reads it);
//  - from value 93 on, a row without a product name, without a server, or with a server
//    that does not begin "http://" or "https://";
//  - a row whose product is built in, or given by an earlier row: the first row wins, so
//    this one is never used;
//  - values past the 200 the route table holds.
Findings CheckRouteFile(const std::string& bytes);
