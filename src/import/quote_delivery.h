// Getting the quote to the customer's server across the network agents sit on: a proxy or
// a server that wants a password asks the agent for it, and a server that moved to TLS gets
// the same request again over TLS. What is left is judged by the server's answer rules.
//
// A route's plain server that is known to take TLS (config/tls_hosts.h) gets the post over
// TLS straight away, and the answers over TLS teach which hosts take it
// (import/tls_learning.h): the quote does not cross the network in clear to a server that
// said it takes TLS.
#pragma once

#include "import/import_progress.h"
#include "import/server_answer.h"
#include "platform/http_post.h"

// How often the agent is asked for a password for one request before the refusal stands.
constexpr int kPasswordPrompts = 3;

// How the post travelled to the server.
enum class PostRoute {
    kPlain,       // in clear, to port 80, and no further
    kTls,         // over TLS, as the route's https:// server asks
    kMovedToTls,  // in clear first, then over TLS after the server moved to TLS
    kKnownTls,    // over TLS straight away, to a plain server known to take TLS
};

struct Delivery {
    platform::PostResult sent;                        // the last request's result
    AnswerVerdict verdict = AnswerVerdict::kRefused;  // of its answer, when it was answered
    PostRoute route = PostRoute::kPlain;

    ServerAnswer Answer() const { return {sent.statusCode, sent.statusText, sent.location}; }
};

// Posts `post`, showing "Sending Data to <host>" each time the body goes out and asking the
// agent through `progress` when a password is wanted. A move to TLS is followed once, to
// port 443 of the same host; so is a host known to take TLS posted to there, and its answer
// judged as a moved post's. The caller keeps naming the route's own server. A post over
// TLS that fails is never sent again in clear. What the answers teach is written to
// kTlsHostsFile in the working directory.
[[nodiscard]] Delivery DeliverQuote(const platform::FormPost& post, ImportProgress& progress);
