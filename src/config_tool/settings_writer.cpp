#include "config_tool/settings_writer.h"

#include "config_tool/settings_file_check.h"
#include "import/server_address.h"

ImportSettings SettingsFromRequest(const SettingsRequest& request, RouteTable& routes) {
    ImportSettings settings{std::string()};
    settings.raterCode = request.raterCode;
    settings.productName = request.productName;
    settings.serverPostFile = request.serverPostFile;
    settings.krnLaunchFile = request.krnLaunchFile;
    settings.company = request.company;
    settings.qqPath = request.qqPath;
    settings.producerCode = request.producerCode.value_or("");
    settings.useItcZavezuda = request.useItcZavezuda ? "Y" : "N";
    if (request.serverAddress) {
        settings.serverAddress = *request.serverAddress;
    } else if (const auto routeServer = routes.FindServer(request.productName)) {
        settings.serverAddress = "http://" + SplitServer(*routeServer).host;
    }
    return settings;
}

Findings CheckSettingsRequest(const ImportSettings& settings, RouteTable& routes) {
    Findings findings = CheckSettingsValues(settings);
    const Findings product = CheckProduct(settings, routes);
    findings.insert(findings.end(), product.begin(), product.end());
    return findings;
}
