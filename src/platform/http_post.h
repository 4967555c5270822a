// One HTTP form post, the way the import sends a quote: a session, a connection to port 80
// of the server (port 443 over TLS), a POST request with one added header and the body,
// and every handle closed again. Redirects are not followed: what came back is reported
// as it came (status, reason, Location), and the caller decides. The answer's body is not
// read.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/dialog.h"

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
    int statusCode = 0;            // the status of this answer; redirects are not followed
    std::string statusText;        // the reason the server gave with it, possibly empty
    std::string location;          // the Location header, empty when there was none
    // The first Strict-Transport-Security header, empty when there was none; reported over
    // plain HTTP too, where it counts for nothing. (An initializer of its own, so the many
    // results written without it stay complete.)
    std::string strictTransportSecurity{};
};

// Connect, send and receive each give up after this long, so a server that accepts and
// never answers cannot hold the import for ever.
constexpr int kPostTimeoutMs = 30000;

// The request of one post, open from construction to destruction, over HTTP/1.0 to port
// 80, or port 443 over TLS when `secure`, through the system's proxy settings, without
// caching the response. It can be sent again: after a password was given for it, the
// next send carries it.
class FormRequest {
public:
    explicit FormRequest(const FormPost& post);
    ~FormRequest();
    FormRequest(const FormRequest&) = delete;
    FormRequest& operator=(const FormRequest&) = delete;

    // Sends the request with the post's body. `beforeSend` runs once the request is ready
    // and just before its body goes out; it does not run when opening the request failed,
    // which is reported as an internet error here. A server that closes the connection
    // without a status line gives an internet error, as Windows itself reports it.
    [[nodiscard]] PostResult Send(const std::function<void()>& beforeSend);

    // After an answer of 401 (the server) or 407 (the proxy): the system's password dialog,
    // owned by `owner`. True when the agent gave a password and the request is to be sent
    // again; false when the agent cancelled.
    [[nodiscard]] bool AskForPassword(const Dialog& owner);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

}  // namespace platform
