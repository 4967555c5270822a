// One HTTP form post, the way the import sends a quote: a session, a connection to port 80
// of the server, a POST request with one added header, the body, and every handle closed
// again. The server's answer is never read.
#pragma once

#include <functional>
#include <string>

namespace platform {

struct FormPost {
    std::string userAgent;
    std::string host;
    std::string objectName;  // used exactly as given
    std::string headerLine;  // added only when the request does not carry it yet
    std::string body;
};

struct PostResult {
    enum class Outcome {
        kSent,           // the request went out and the server's answer arrived
        kSendFailed,     // the send said it failed, without an error of its own
        kInternetError,  // opening, connecting, adding the header, sending or closing failed
    };
    Outcome outcome = Outcome::kSent;
    std::string errorDescription;  // the system's text for an internet error, possibly empty
};

// Connect, send and receive each give up after this long, so a server that accepts and
// never answers cannot hold the import for ever.
constexpr int kPostTimeoutMs = 30000;

// Sends the post over HTTP/1.0 to port 80, without caching the response. `beforeSend`
// runs once the request is ready and just before its body goes out.
PostResult PostForm(const FormPost& post, const std::function<void()>& beforeSend);

}  // namespace platform
