#include "config_tool/quote_destination.h"

#include "import/server_address.h"

std::vector<std::string> DescribeQuoteDestination(const ImportSettings& settings, RouteTable& routes) {
    const std::string& product = settings.productName;
    const ServerAddress server = SplitServer(RouteLookupText(routes.FindServer(product), product));
    const std::string browserPath = RouteLookupText(routes.FindBrowserPath(product), product);
    return {
        "Rater:        " + settings.raterCode,
        "Product:      " + product,
        "Server host:  " + server.host,
        std::string("Travels:      ") + (server.secure ? "over TLS (https, port 443)" : "http (port 80)"),
        "Post address: " + PageAddress(server, settings.serverPostFile),
        "Start page:   " + StartPageAddress(server, settings.krnLaunchFile, "<import identifier>"),
        "Launch page:  " + browserPath + "\\krn.hta when that file is on the PC, else the start page",
    };
}
