// The receiver's HTTP side: what it answers on which request.
//
//   POST <any path>             the quote post. The body is decoded, stored with its
//                               decoding in one transaction, and answered 200 with one line
//                               of text, also when it is malformed (it is stored and flagged
//                               then). 500 when the store fails, 415 for a multipart body
//                               (not a quote post); those are not stored.
//   GET <any path>?externalQuoteImportID=<id>
//                               the start page of that import; 404 page when unknown.
//   GET <any path>?import=<n>   one import by its number in the store (posts without an
//                               identifier have no start page); 404 page when unknown.
//   GET /                       the index of all imports, newest first.
//   GET anything else           a 404 page.
//
// Every request is logged as one line to the log stream given.
#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "import_store.h"

namespace receiver {

// The largest body taken; far more than 5000 export lines make.
constexpr std::size_t kMaxBodyBytes = 64u * 1024u * 1024u;

// "2026-12-07T20:56:05.123Z": UTC, milliseconds, the form stored as the time received.
std::string UtcTimestamp(std::chrono::system_clock::time_point time);

class ReceiverServer {
public:
    // The store and the log stream must outlive the server.
    ReceiverServer(ImportStore& store, std::ostream& log);
    ~ReceiverServer();
    ReceiverServer(const ReceiverServer&) = delete;
    ReceiverServer& operator=(const ReceiverServer&) = delete;

    // Binds to `address` and starts listening, so connections queue from here on even
    // before Serve runs. Port 0 picks a free port. Returns the port, or -1 when the address
    // cannot be had (taken, not an address of this machine, or below 1024 without the right).
    int Bind(const std::string& address, int port);

    // Answers requests until Stop. Returns false when it could not serve at all.
    bool Serve();

    // Ends Serve soon after; requests already being answered are finished first. Safe from
    // any thread (a signal-handling thread, a test), before Serve starts or while it runs.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace receiver
