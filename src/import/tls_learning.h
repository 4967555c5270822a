// What the answers to a post teach about whether its host takes TLS, the way browsers
// learn it: a permanent move of the post to TLS, and the Strict-Transport-Security header
// of an answer that came over TLS. A header that came in clear may have been put there by
// anyone on the way, and counts for nothing.
#pragma once

#include <string>

#include "config/tls_hosts.h"
#include "platform/http_post.h"
#include "support/utc_time.h"

// How long a permanent move to TLS makes its host known: one year.
constexpr UtcSeconds kPermanentMoveSeconds = 365LL * 24 * 60 * 60;

// The max-age of a Strict-Transport-Security header value, by the header's grammar:
// directives separated by ";", each a token name, optionally "=" and a token or quoted
// string, with spaces and tabs around; names ignoring case, none twice; max-age present,
// its value digits (quoted or not), capped at kLatestUtcSeconds. False, with `maxAge`
// unchanged, for a value that breaks any of that: such a header is ignored.
[[nodiscard]] bool StrictTransportMaxAge(const std::string& headerValue, UtcSeconds& maxAge);

// Learns from `answer`, the answer to the post sent over TLS to `host` at `now`. Its
// Strict-Transport-Security header, when it reads, decides: max-age=N makes the host
// known for N seconds, max-age=0 forgets it. Without one, a permanent move (`moveStatus`
// 301 or 308; 0 when the post was not moved) that brought the post to TLS makes the host
// known for kPermanentMoveSeconds. True when `hosts` changed.
[[nodiscard]] bool LearnFromTlsAnswer(KnownTlsHosts& hosts, const std::string& host, const platform::PostResult& answer,
                                      int moveStatus, UtcSeconds now);
