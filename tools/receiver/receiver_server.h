// The receiver's HTTP side: what it answers on which request.
//
//   POST <any path>             the quote post. The body is decoded, stored with its
//                               decoding in one transaction, and answered 200 with one line
//                               of text, also when it is malformed (it is stored and flagged
//                               then). 500 when the store fails; 413 for a body past the cap
//                               (counted after any Content-Encoding is undone), 415 for a
//                               multipart body (not a quote post), 400 for a body that did
//                               not arrive whole or in time: those are not stored.
//   GET <any path>?externalQuoteImportID=<id>
//                               the start page of that import; 404 page when unknown.
//   GET <any path>?import=<n>   one import by its number in the store (posts without an
//                               identifier have no start page), "&page=<p>" for its later
//                               fields; 404 page when unknown.
//   GET <any path>?import=<n>&raw=1
//                               that import's raw body as it came, as a download.
//   GET /                       the index of all imports, newest first.
//   GET anything else           a 404 page.
//
// Before any body is read, a request with another method (405), a Content-Length that is
// not a decimal number or two that differ (400), a Transfer-Encoding other than chunked
// (501), a post with neither (411) or one longer than the cap (413) is refused, and its
// connection closed. Clients
// are held to ServerLimits (see GuardedServer).
//
// Every request is logged as one line to the log stream given, with any byte that is not
// printable ASCII escaped.
#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "import_store.h"
#include "server_limits.h"
#include "tls_context.h"

namespace receiver {

// "2026-12-07T20:56:05.123Z": UTC, milliseconds, the form stored as the time received.
std::string UtcTimestamp(std::chrono::system_clock::time_point time);

class ReceiverServer {
public:
    // Serves HTTP, or HTTPS with the certificate and key of `tls` when it is given. The log
    // stream and `tls` must outlive the server.
    explicit ReceiverServer(std::ostream& log, const ServerLimits& limits = ServerLimits(),
                            const TlsContext* tls = nullptr);
    ~ReceiverServer();
    ReceiverServer(const ReceiverServer&) = delete;
    ReceiverServer& operator=(const ReceiverServer&) = delete;

    // Binds to `address` and starts listening, so connections queue from here on even
    // before Serve runs. Port 0 picks a free port. Returns the port, or -1 when the address
    // cannot be had (taken, not an address of this machine, or below 1024 without the right).
    int Bind(const std::string& address, int port);

    // Answers requests until Stop, keeping posts in `store` and reading pages from it; the
    // store must outlive Serve. Returns false when it could not serve at all.
    bool Serve(ImportStore& store);

    // Ends Serve soon after; requests already being answered are finished first. Safe from
    // any thread (a signal-handling thread, a test), before Serve starts or while it runs.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace receiver
