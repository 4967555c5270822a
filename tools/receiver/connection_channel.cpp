#include "connection_channel.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <cerrno>

namespace receiver {
namespace {

bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

}  // namespace

Channel::Result SocketChannel::Read(char* data, std::size_t size, std::size_t& got) {
    const ssize_t received = recv(socket_, data, size, 0);
    if (received > 0) {
        got = static_cast<std::size_t>(received);
        return Result::Done;
    }
    if (received == 0) {
        return Result::Closed;
    }
    return WouldBlock() ? Result::WantRead : Result::Failed;
}

Channel::Result SocketChannel::Write(const char* data, std::size_t size, std::size_t& put) {
    const ssize_t sent = send(socket_, data, size, MSG_NOSIGNAL);
    if (sent >= 0) {
        put = static_cast<std::size_t>(sent);
        return Result::Done;
    }
    return WouldBlock() ? Result::WantWrite : Result::Failed;
}

TlsChannel::TlsChannel(SSL_CTX* context, int socket) : ssl_(SSL_new(context)) {
    // Without a session (no memory), Open fails and the connection is closed.
    if (ssl_ && SSL_set_fd(ssl_, socket) != 1) {
        SSL_free(ssl_);
        ssl_ = nullptr;
    }
    if (ssl_) {
        SSL_set_accept_state(ssl_);
        // Writes may stop part-way on a full socket and go on from a buffer that moved.
        SSL_set_mode(ssl_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    }
    ERR_clear_error();
}

TlsChannel::~TlsChannel() {
    SSL_free(ssl_);
}

// What an SSL call that did not succeed means. The thread's error queue is emptied, so a
// failure on one connection never shows up as the cause of a later one's.
Channel::Result TlsChannel::Failure(int returned) {
    const int error = SSL_get_error(ssl_, returned);
    ERR_clear_error();
    switch (error) {
        case SSL_ERROR_WANT_READ:
            return Result::WantRead;
        case SSL_ERROR_WANT_WRITE:
            return Result::WantWrite;
        case SSL_ERROR_ZERO_RETURN:
            return Result::Closed;
        default:
            return Result::Failed;
    }
}

Channel::Result TlsChannel::Open() {
    if (!ssl_) {
        return Result::Failed;
    }
    ERR_clear_error();
    const int returned = SSL_do_handshake(ssl_);
    return returned == 1 ? Result::Done : Failure(returned);
}

Channel::Result TlsChannel::Read(char* data, std::size_t size, std::size_t& got) {
    ERR_clear_error();
    const int returned = SSL_read_ex(ssl_, data, size, &got);
    return returned == 1 ? Result::Done : Failure(returned);
}

Channel::Result TlsChannel::Write(const char* data, std::size_t size, std::size_t& put) {
    ERR_clear_error();
    const int returned = SSL_write_ex(ssl_, data, size, &put);
    return returned == 1 ? Result::Done : Failure(returned);
}

bool TlsChannel::HasPending() const {
    return ssl_ && SSL_pending(ssl_) > 0;
}

void TlsChannel::Close() {
    if (ssl_ && SSL_is_init_finished(ssl_)) {
        // One try, not waited for: the connection is being closed either way, and a client
        // that misses the close_notify only sees the end of the connection.
        ERR_clear_error();
        if (SSL_shutdown(ssl_) < 0) {
            ERR_clear_error();
        }
    }
}

}  // namespace receiver
