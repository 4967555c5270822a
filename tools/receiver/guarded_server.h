// An httplib::Server whose connections are held to ServerLimits. The library's own loop over
// a connection has time-outs for each read but no deadline for a request as a whole, so a
// client sending a byte every few seconds, or one that never ends its head, would hold one of
// its threads for ever; here every connection goes through a ConnectionStream instead, and
// is answered by one of limits.workerThreads threads.
#pragma once

#include <httplib.h>

#include "server_limits.h"

typedef struct ssl_ctx_st SSL_CTX;

namespace receiver {

class GuardedServer : public httplib::Server {
public:
    // `tls` null: plain HTTP. Otherwise each connection starts with a TLS handshake with
    // its certificate and key; it must outlive the server.
    GuardedServer(const ServerLimits& limits, SSL_CTX* tls);

    // After binding: lets the system queue `connections` not yet accepted instead of the
    // library's 5, so a burst of clients is not made to retry a second later. False when
    // the socket is not listening.
    bool WidenBacklog(int connections);

    // For a handler: the connection it is answering ends after this answer, because part of
    // the request was not read (a refused body), so what follows on it is no request.
    static void EndConnectionAfterAnswer();

private:
    bool process_and_close_socket(socket_t socket) override;

    ServerLimits limits_;
    SSL_CTX* tls_;
};

}  // namespace receiver
