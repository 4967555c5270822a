// One HTTP form post, the way the import sends a quote: a session, a connection to port 80
// of the server (port 443 over TLS), a POST request with one added header, the body, the
// status of the server's answer, and every handle closed again. The answer's body is not
// read.
#pragma once

#include <functional>
#include <string>

namespace platform {

struct FormPost {
    std::string userAgent;
    std::string host;
    bool secure = false;     // over TLS to port 443, the certificate checked by the system
    std::string objectName;  // used exactly as given
    std::string headerLine;  // added only when the request does not carry it yet
    std::string body;
};

struct PostResult {
    enum class Outcome {
        kAnswered,       // the request went out and the server answered with a status line
        kSendFailed,     // the send said it failed, without an error of its own
        kInternetError,  // opening, connecting, adding the header, sending or closing failed
    };
    Outcome outcome = Outcome::kAnswered;
    std::string errorDescription;  // the system's text for an internet error, possibly empty
    int statusCode = 0;            // the final status, after the redirects the client followed
    std::string statusText;        // the reason the server gave with it, possibly empty
};

// Connect, send and receive each give up after this long, so a server that accepts and
// never answers cannot hold the import for ever.
constexpr int kPostTimeoutMs = 30000;

// Sends the post over HTTP/1.0 to port 80, or port 443 over TLS when `secure`, without
// caching the response. `beforeSend` runs once the request is ready and just before its
// body goes out. A server that closes the connection without a status line gives an
// internet error, as Windows itself reports it.
PostResult PostForm(const FormPost& post, const std::function<void()>& beforeSend);

}  // namespace platform
