// The certificate and private key the receiver serves HTTPS with (--cert, --key).
#pragma once

#include <stdexcept>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace receiver {

// The files cannot be used; the message names the file and OpenSSL's reason.
class TlsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TlsContext {
public:
    // Loads a PEM certificate (the server's own first, then any chain) and its PEM private
    // key. Throws TlsError when either cannot be read or the key is not the certificate's.
    TlsContext(const std::string& certificateFile, const std::string& keyFile);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    SSL_CTX* Handle() const { return context_; }

private:
    SSL_CTX* context_ = nullptr;
};

}  // namespace receiver
