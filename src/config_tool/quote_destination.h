// Where an import with these settings and routes would send the quote and take the agent,
// worked out by the same lookups and addresses the import itself uses.
#pragma once

#include <string>
#include <vector>

#include "config/import_settings.h"
#include "config/route_table.h"
#include "config/tls_hosts.h"

// Lines of "what: value": the rater, the product, the server host, http or TLS, the post
// address, the start-page address (with a sample import identifier) and the local launch
// folder.
// A route's http:// server that `knownHosts` knows at `now` is posted to straight over TLS.
std::vector<std::string> DescribeQuoteDestination(const ImportSettings& settings, RouteTable& routes,
                                                  const KnownTlsHosts& knownHosts, UtcSeconds now);
