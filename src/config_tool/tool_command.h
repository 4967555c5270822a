// The configuration tool's command line:
//
//   vantrel_config --products [--routes PRoute.dat]
//   vantrel_config --check Vantrel.dat [--routes PRoute.dat] [--tls-hosts TlsHosts.dat]
//   vantrel_config --write-settings Vantrel.dat --rater CODE --product NAME --post-file PATH
//                  --launch-file PATH --company NAME --qq-path FOLDER [--producer-code CODE]
//                  [--server-address http://HOST] [--use-itc-zavezuda] [--routes PRoute.dat]
//   vantrel_config --write-routes PRoute.dat [--site-mode TEXT]
//                  --route COMPANY RATER STATE PRODUCT SERVER BROWSER-PATH [--route ...]
//   vantrel_config --write-tls-hosts TlsHosts.dat --tls-host HOST [--tls-host HOST ...]
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "config_tool/route_file_writer.h"
#include "config_tool/settings_writer.h"

struct ToolCommand {
    enum class Action { kHelp, kProducts, kCheck, kWriteSettings, kWriteRoutes, kWriteTlsHosts };
    Action action = Action::kHelp;
    std::string file;                         // checked or written
    std::optional<std::string> routesFile;    // the routes the settings are checked or written against
    std::optional<std::string> tlsHostsFile;  // the hosts known to take TLS, checked with the settings
    SettingsRequest settings;
    std::string siteMode = "LIVE";
    std::vector<RouteRowColumns> routeRows;
    std::vector<std::string> tlsHosts;  // made known "always", beside what the file knows
};

// The command, or a one-line reason why the arguments make none.
[[nodiscard]] std::variant<ToolCommand, std::string> ParseToolCommand(const std::vector<std::string>& arguments);

extern const char kToolUsage[];
