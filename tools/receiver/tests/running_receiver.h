// The real receiver serving on 127.0.0.1 in a thread of its own, and plain-socket helpers
// for speaking to it byte by byte, as a hostile or slow client would.
#pragma once

#include <httplib.h>

#include <chrono>
#include <future>
#include <sstream>
#include <string>

#include "import_store.h"
#include "receiver_server.h"

namespace receiver {

// Waits for Serve to end, at most `limit`; a server that does not stop ends the test run,
// since nothing else could end its thread.
bool FinishServing(std::future<bool>& serving, std::chrono::seconds limit);

// A receiver on a port the system picks, stopped with the object.
class RunningReceiver {
public:
    explicit RunningReceiver(const std::string& databasePath, const ServerLimits& limits = ServerLimits(),
                             const TlsContext* tls = nullptr);
    ~RunningReceiver();
    RunningReceiver(const RunningReceiver&) = delete;
    RunningReceiver& operator=(const RunningReceiver&) = delete;

    // A client with 5 s time-outs (for plain HTTP).
    httplib::Client Client() const;

    // Returns what Serve returned.
    bool Stop();

    // Only after Stop: the log is written by the server's threads until then.
    std::string Log() const { return log_.str(); }
    int Port() const { return port_; }
    ImportStore& Store() { return store_; }

private:
    std::ostringstream log_;
    ReceiverServer server_;
    ImportStore store_;
    int port_ = -1;
    std::future<bool> serving_;
};

// A TCP connection to 127.0.0.1:`port`; -1 when it cannot be made.
int ConnectTo(int port);

// Sends all of `bytes`, each send waiting at most `limit`; false when the connection failed
// or stalled first.
bool SendAll(int socket, const std::string& bytes, std::chrono::milliseconds limit = std::chrono::seconds(5));

// Reads until the other side closes or `limit` passes without data; what arrived.
std::string ReadUntilClosed(int socket, std::chrono::milliseconds limit = std::chrono::seconds(5));

// True while the other side has neither answered nor ended the connection.
bool StillOpen(int socket);

// True when the other side ends the connection (closes or resets it) within `limit`;
// whatever it sends first is read and dropped.
bool EndedByPeer(int socket, std::chrono::milliseconds limit);

}  // namespace receiver
