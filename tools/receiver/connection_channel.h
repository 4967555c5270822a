// The bytes of one accepted connection: plain TCP, or TLS over it. A channel never blocks (its
// socket is non-blocking): an operation that cannot go on says what it waits for, and the
// caller waits for that within its own time limits (ConnectionStream).
#pragma once

#include <cstddef>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace receiver {

class Channel {
public:
    enum class Result { Done, WantRead, WantWrite, Closed, Failed };

    virtual ~Channel() = default;

    // The channel's own opening: nothing for TCP, the handshake for TLS. Called until Done.
    virtual Result Open() = 0;
    // Up to `size` bytes into `data`; `got` says how many when Done.
    virtual Result Read(char* data, std::size_t size, std::size_t& got) = 0;
    // Some of `data`; `put` says how many when Done.
    virtual Result Write(const char* data, std::size_t size, std::size_t& put) = 0;
    // True when bytes already received wait to be read (TLS decrypts whole records).
    virtual bool HasPending() const = 0;
    // Says goodbye in the channel's own protocol, if it has one (TLS close_notify). The
    // socket itself stays open.
    virtual void Close() = 0;
};

class SocketChannel : public Channel {
public:
    explicit SocketChannel(int socket) : socket_(socket) {}

    Result Open() override { return Result::Done; }
    Result Read(char* data, std::size_t size, std::size_t& got) override;
    Result Write(const char* data, std::size_t size, std::size_t& put) override;
    bool HasPending() const override { return false; }
    void Close() override {}

private:
    int socket_;
};

// The server's side of TLS on `socket`, with the certificate and key of `context`.
class TlsChannel : public Channel {
public:
    TlsChannel(SSL_CTX* context, int socket);
    ~TlsChannel() override;
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    Result Open() override;
    Result Read(char* data, std::size_t size, std::size_t& got) override;
    Result Write(const char* data, std::size_t size, std::size_t& put) override;
    bool HasPending() const override;
    void Close() override;

private:
    Result Failure(int returned);

    SSL* ssl_ = nullptr;
};

}  // namespace receiver
