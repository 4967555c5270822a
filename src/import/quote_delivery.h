// Getting the quote to the customer's server across the network agents sit on: a proxy or
// a server that wants a password asks the agent for it, and a server that moved to TLS gets
// the same request again over TLS. What is left is judged by the server's answer rules.
#pragma once

#include "import/import_progress.h"
#include "import/server_answer.h"
#include "platform/http_post.h"

// How often the agent is asked for a password for one request before the refusal stands.
constexpr int kPasswordPrompts = 3;

// How the post travelled: in clear, over TLS as the route says, over TLS after the server
// answered the plain post with a move to TLS, or straight over TLS to a host known to take it.
enum class PostRoute { kPlain, kTls, kMovedToTls, kKnownTls };

struct Delivery {
    platform::PostResult sent;                        // the last request's result
    AnswerVerdict verdict = AnswerVerdict::kRefused;  // of its answer, when it was answered
    PostRoute route = PostRoute::kPlain;              // how the last request went

    ServerAnswer Answer() const { return {sent.statusCode, sent.statusText, sent.location}; }
};

// Posts `post`, showing "Sending Data to <host>" each time the body goes out and asking the
// agent through `progress` when a password is wanted. A move to TLS is followed once, to
// port 443 of the same host; the caller keeps naming the route's own server.
Delivery DeliverQuote(const platform::FormPost& post, ImportProgress& progress);
