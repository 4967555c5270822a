#include "tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace receiver {
namespace {

// OpenSSL's reasons for the last failure, and its error queue emptied.
std::string OpenSslReasons() {
    std::string reasons;
    while (const unsigned long error = ERR_get_error()) {
        char text[256];
        ERR_error_string_n(error, text, sizeof text);
        reasons += (reasons.empty() ? "" : "; ") + std::string(text);
    }
    return reasons.empty() ? "no reason given" : reasons;
}

}  // namespace

TlsContext::TlsContext(const std::string& certificateFile, const std::string& keyFile)
    : context_(SSL_CTX_new(TLS_server_method())) {
    if (!context_) {
        throw TlsError("cannot set up TLS: " + OpenSslReasons());
    }
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    // A client that closes without TLS's goodbye has still ended its connection, which is
    // all the receiver needs to know.
    SSL_CTX_set_options(context_, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION | SSL_OP_IGNORE_UNEXPECTED_EOF);
    std::string problem;
    if (SSL_CTX_use_certificate_chain_file(context_, certificateFile.c_str()) != 1) {
        problem = "cannot use the certificate " + certificateFile + ": " + OpenSslReasons();
    } else if (SSL_CTX_use_PrivateKey_file(context_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        // Also when it is not the key of the certificate ("key values mismatch").
        problem = "cannot use the private key " + keyFile + ": " + OpenSslReasons();
    }
    if (!problem.empty()) {
        SSL_CTX_free(context_);
        throw TlsError(problem);
    }
}

TlsContext::~TlsContext() {
    SSL_CTX_free(context_);
}

}  // namespace receiver
