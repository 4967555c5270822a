// One accepted connection as the HTTP library reads and writes it, held to ServerLimits:
// every wait is cut at the I/O time-out; a request's head must arrive whole within the head
// deadline and maxHeadBytes, and the request with its answer within the request deadline;
// the wait for a next request is cut at the idle time-out. What the library reads a byte at
// a time (the head) comes from a read-ahead buffer, not from a system call per byte.
#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>
#include <string>

#include "connection_channel.h"
#include "server_limits.h"

namespace receiver {

class ConnectionStream : public httplib::Stream {
public:
    using Clock = std::chrono::steady_clock;

    // `channel` reads and writes `socket`; both must outlive the stream. `stopping` says the
    // server is stopping: a request not begun, or whose head has not all come, is then given
    // up (it is asked every 100 ms while waiting for one).
    ConnectionStream(Channel& channel, int socket, const ServerLimits& limits, std::function<bool()> stopping);

    // Opens the channel (the TLS handshake), within the head deadline; false when that fails.
    bool Open();

    // Waits for the first byte of the next request, at most the idle time-out; false when
    // none came.
    bool AwaitRequest();

    // A request starts: its head is read under the head deadline and maxHeadBytes.
    void StartRequest();
    // Its head has been read: the body and the answer are bound by the request deadline.
    void HeadRead();
    bool InHead() const { return inHead_; }

    // A read or a write failed or ran out of time: nothing more can be exchanged.
    bool Broken() const { return readFailed_ || writeFailed_; }

    // Before closing a connection whose request was not read to its end: says the answer is
    // complete, then reads and drops what the client still sends for a moment, so the close
    // does not reset the connection before the client has read the answer.
    void Drain();

    // httplib::Stream
    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* data, size_t size) override;
    ssize_t write(const char* data, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return socket_; }

private:
    // Waits until `want` (read or write) can go on, at most the I/O time-out and never past
    // `deadline`; false when the time ran out, or the server stops while a head is awaited.
    bool Wait(Channel::Result want, Clock::time_point deadline) const;
    // Reads what the channel has into the read-ahead buffer; false at its end or on failure.
    bool Fill();

    Channel& channel_;
    int socket_;
    ServerLimits limits_;
    std::function<bool()> stopping_;
    std::string ahead_;  // read from the channel, not yet by the library
    std::size_t aheadStart_ = 0;
    Clock::time_point requestStart_;
    bool inHead_;
    std::size_t headBytes_ = 0;
    bool readFailed_ = false;
    bool writeFailed_ = false;
};

}  // namespace receiver
