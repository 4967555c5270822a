// How much of the receiver one client can take, and for how long. The defaults are far above
// what Vantrel needs (one post of some hundred kilobytes, answered at once) and low enough
// that a client that is slow, idle or hostile is ended within seconds. Tests set their own.
#pragma once

#include <chrono>
#include <cstddef>

namespace receiver {

struct ServerLimits {
    // The largest body taken, counted as it arrives and after any Content-Encoding is
    // undone; past it the post is answered 413 and not stored.
    std::size_t maxBodyBytes = 64u * 1024u * 1024u;
    // The request line and header fields together; past it the connection is ended.
    std::size_t maxHeadBytes = 64u * 1024u;
    // The longest silence within a request or its answer, reading or writing.
    std::chrono::milliseconds ioTimeout{5000};
    // The longest wait for a connection's first request, and for each next one.
    std::chrono::milliseconds idleTimeout{5000};
    // From the first byte of a request to the end of its head, and for a TLS handshake.
    std::chrono::milliseconds headDeadline{10000};
    // From the first byte of a request to the end of its answer.
    std::chrono::milliseconds requestDeadline{60000};
    // Threads answering connections, each one connection at a time. The deadlines above end
    // every connection in seconds; this many slow clients together are what it takes to make
    // others wait, for the few seconds until one of them is ended.
    std::size_t workerThreads = 128;
    // Requests answered on one connection before it is closed.
    std::size_t maxRequestsPerConnection = 100;
};

}  // namespace receiver
