#include "config_tool/quote_destination.h"

#include "import/server_address.h"

std::vector<std::string> DescribeQuoteDestination(const ImportSettings& settings, RouteTable& routes,
                                                  const KnownTlsHosts& knownHosts, UtcSeconds now) {
    const std::string& product = settings.productName;
    const ServerAddress server = SplitServer(RouteLookupText(routes.FindServer(product), product));
    const std::string browserPath = RouteLookupText(routes.FindBrowserPath(product), product);
    const bool known = !server.secure && knownHosts.IsKnown(server.host, now);
    // The post goes over TLS to a known host; the start page stays the route's own.
    ServerAddress posted = server;
    posted.secure = server.secure || known;
    const char* travels = server.secure ? "over TLS (https, port 443)"
                          : known       ? "over TLS (https, port 443): the host is known to take TLS"
                                        : "http (port 80)";
    return {
        "Rater:        " + settings.raterCode,
        "Product:      " + product,
        "Server host:  " + server.host,
        std::string("Travels:      ") + travels,
        "Post address: " + PageAddress(posted, settings.serverPostFile),
        "Start page:   " + StartPageAddress(server, settings.krnLaunchFile, "<import identifier>"),
        "Launch page:  " + browserPath + "\\krn.hta when that file is on the PC, else the start page",
    };
}
