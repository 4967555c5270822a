#include "connection_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace receiver {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kReadAhead = 16 * 1024;
// How long, and how much, Drain reads before it gives up on the client.
constexpr auto kDrainTime = 500ms;
constexpr std::size_t kDrainBytes = 4 * 1024 * 1024;

int Milliseconds(std::chrono::steady_clock::duration duration) {
    // Rounded up, so a wait is never cut short to nothing.
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(duration).count());
}

// True when `socket` becomes ready for `events` within `wait`.
bool PollFor(int socket, short events, std::chrono::steady_clock::duration wait) {
    pollfd ready{socket, events, 0};
    int result = 0;
    do {
        result = poll(&ready, 1, Milliseconds(std::max<std::chrono::steady_clock::duration>(wait, 0ms)));
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

}  // namespace

ConnectionStream::ConnectionStream(Channel& channel, int socket, const ServerLimits& limits,
                                   std::function<bool()> stopping)
    : channel_(channel),
      socket_(socket),
      limits_(limits),
      stopping_(std::move(stopping)),
      // Until a request starts, the connection's start counts: the TLS handshake is its head.
      requestStart_(Clock::now()),
      inHead_(true) {}

bool ConnectionStream::Wait(Channel::Result want, Clock::time_point deadline) const {
    const auto until = std::min<Clock::time_point>(deadline, Clock::now() + limits_.ioTimeout);
    const short events = want == Channel::Result::WantWrite ? POLLOUT : POLLIN;
    for (;;) {
        const auto left = until - Clock::now();
        if (left <= 0ms || (inHead_ && stopping_())) {
            return false;
        }
        if (PollFor(socket_, events, std::min<Clock::duration>(left, 100ms))) {
            return true;
        }
    }
}

bool ConnectionStream::Open() {
    const auto deadline = Clock::now() + limits_.headDeadline;
    for (;;) {
        const Channel::Result result = channel_.Open();
        if (result == Channel::Result::Done) {
            return true;
        }
        if (result == Channel::Result::Closed || result == Channel::Result::Failed || !Wait(result, deadline)) {
            return false;
        }
    }
}

bool ConnectionStream::AwaitRequest() {
    if (aheadStart_ < ahead_.size() || channel_.HasPending()) {
        return true;
    }
    const auto until = Clock::now() + limits_.idleTimeout;
    while (!stopping_()) {
        const auto left = until - Clock::now();
        if (left <= 0ms) {
            return false;
        }
        if (PollFor(socket_, POLLIN, std::min<Clock::duration>(left, 100ms))) {
            return true;
        }
    }
    return false;
}

void ConnectionStream::StartRequest() {
    requestStart_ = Clock::now();
    inHead_ = true;
    headBytes_ = 0;
}

void ConnectionStream::HeadRead() {
    inHead_ = false;
}

bool ConnectionStream::Fill() {
    const auto deadline = requestStart_ + (inHead_ ? limits_.headDeadline : limits_.requestDeadline);
    ahead_.resize(kReadAhead);
    aheadStart_ = 0;
    for (;;) {
        std::size_t got = 0;
        const Channel::Result result = channel_.Read(ahead_.data(), ahead_.size(), got);
        if (result == Channel::Result::Done) {
            ahead_.resize(got);
            return true;
        }
        if (result == Channel::Result::Closed) {
            ahead_.clear();
            return false;
        }
        if (result == Channel::Result::Failed || !Wait(result, deadline)) {
            ahead_.clear();
            readFailed_ = true;
            return false;
        }
    }
}

ssize_t ConnectionStream::read(char* data, size_t size) {
    if (readFailed_) {
        return -1;
    }
    if (inHead_) {
        if (headBytes_ >= limits_.maxHeadBytes) {
            readFailed_ = true;
            return -1;
        }
        size = std::min(size, limits_.maxHeadBytes - headBytes_);
    }
    if (aheadStart_ == ahead_.size() && !Fill()) {
        return readFailed_ ? -1 : 0;
    }
    const std::size_t taken = std::min(size, ahead_.size() - aheadStart_);
    std::memcpy(data, ahead_.data() + aheadStart_, taken);
    aheadStart_ += taken;
    if (inHead_) {
        headBytes_ += taken;
    }
    return static_cast<ssize_t>(taken);
}

ssize_t ConnectionStream::write(const char* data, size_t size) {
    // The answer to a head that took too long is still sent: writing has a deadline of its own.
    const auto deadline = requestStart_ + limits_.requestDeadline;
    std::size_t written = 0;
    while (!writeFailed_ && written < size) {
        std::size_t put = 0;
        const Channel::Result result = channel_.Write(data + written, size - written, put);
        if (result == Channel::Result::Done) {
            written += put;
        } else if (result == Channel::Result::Closed || result == Channel::Result::Failed || !Wait(result, deadline)) {
            writeFailed_ = true;
        }
    }
    return written > 0 || size == 0 ? static_cast<ssize_t>(written) : -1;
}

bool ConnectionStream::is_readable() const {
    return aheadStart_ < ahead_.size() || channel_.HasPending() || PollFor(socket_, POLLIN, 0ms);
}

bool ConnectionStream::is_writable() const {
    return !writeFailed_;
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressOf(address, ip, port);
    }
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        AddressOf(address, ip, port);
    }
}

void ConnectionStream::Drain() {
    shutdown(socket_, SHUT_WR);
    const auto until = Clock::now() + kDrainTime;
    std::size_t dropped = 0;
    char buffer[16 * 1024];
    while (dropped < kDrainBytes && Clock::now() < until && PollFor(socket_, POLLIN, until - Clock::now())) {
        const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        dropped += static_cast<std::size_t>(got);
    }
}

}  // namespace receiver
