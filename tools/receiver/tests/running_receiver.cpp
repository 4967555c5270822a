#include "running_receiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace receiver {

using namespace std::chrono_literals;

bool FinishServing(std::future<bool>& serving, std::chrono::seconds limit) {
    if (serving.wait_for(limit) != std::future_status::ready) {
        std::cerr << "the receiver did not stop within " << limit.count() << " s\n";
        std::abort();
    }
    return serving.get();
}

RunningReceiver::RunningReceiver(const std::string& databasePath, const ServerLimits& limits, const TlsContext* tls)
    : server_(log_, limits, tls), store_(databasePath) {
    port_ = server_.Bind("127.0.0.1", 0);
    if (port_ <= 0) {
        throw std::runtime_error("cannot bind a free port on 127.0.0.1");
    }
    serving_ = std::async(std::launch::async, [this] { return server_.Serve(store_); });
}

RunningReceiver::~RunningReceiver() {
    if (serving_.valid()) {
        Stop();
    }
}

httplib::Client RunningReceiver::Client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    client.set_write_timeout(5);
    return client;
}

bool RunningReceiver::Stop() {
    server_.Stop();
    return FinishServing(serving_, 30s);
}

int ConnectTo(int port) {
    const int connection = socket(AF_INET, SOCK_STREAM, 0);
    if (connection < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(connection);
        return -1;
    }
    return connection;
}

namespace {

void SetTimeout(int socket, int option, std::chrono::milliseconds limit) {
    timeval wait{static_cast<time_t>(limit.count() / 1000), static_cast<suseconds_t>(limit.count() % 1000 * 1000)};
    setsockopt(socket, SOL_SOCKET, option, &wait, sizeof wait);
}

}  // namespace

bool SendAll(int socket, const std::string& bytes, std::chrono::milliseconds limit) {
    SetTimeout(socket, SO_SNDTIMEO, limit);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t now = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (now <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(now);
    }
    return true;
}

std::string ReadUntilClosed(int socket, std::chrono::milliseconds limit) {
    SetTimeout(socket, SO_RCVTIMEO, limit);
    std::string answer;
    char buffer[4096];
    for (int reads = 0; reads < 100000; ++reads) {
        const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    return answer;
}

bool StillOpen(int socket) {
    char byte;
    const ssize_t got = recv(socket, &byte, 1, MSG_DONTWAIT | MSG_PEEK);
    return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

bool EndedByPeer(int socket, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < until) {
        SetTimeout(socket, SO_RCVTIMEO, std::chrono::milliseconds(100));
        const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            return true;
        }
    }
    return false;
}

}  // namespace receiver
