// An agency's settings file made from named values, never laid out by hand.
#pragma once

#include <optional>
#include <string>

#include "config/import_settings.h"
#include "config/route_table.h"
#include "config_tool/finding.h"

struct SettingsRequest {
    std::string raterCode;
    std::string productName;
    std::string serverPostFile;
    std::string krnLaunchFile;
    std::string company;
    std::string qqPath;
    std::optional<std::string> producerCode;   // empty when not given
    std::optional<std::string> serverAddress;  // when not given: the product's route server
    bool useItcZavezuda = false;
};

// The record these values make. Without a server address, the product's route server is
// written with "http://" in front of its host, so that the agent's first Setup save passes
// the window's address check at once (the import itself takes its server from the routes).
ImportSettings SettingsFromRequest(const SettingsRequest& request, RouteTable& routes);

// What keeps the record from being written: the Setup window's rules and the product lookup.
Findings CheckSettingsRequest(const ImportSettings& settings, RouteTable& routes);
