// The receiver over HTTPS (--cert, --key): the same answers as over HTTP, to a client that
// trusts the certificate, and the same limits for clients that never finish their handshake.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "running_receiver.h"
#include "sample_posts.h"
#include "self_signed.h"
#include "test_folder.h"

namespace receiver {
namespace {

using namespace std::chrono_literals;

// Makes `client` trust the certificate, and only it.
void Trust(httplib::SSLClient& client, const std::string& certificateFile) {
    client.set_ca_cert_path(certificateFile.c_str());
    client.enable_server_certificate_verification(true);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    client.set_write_timeout(5);
}

TEST(Https, PostStartPageAndRawBodyOverTls) {
    TestFolder folder;
    const SelfSigned certificate = MakeSelfSigned(folder);
    const TlsContext tls(certificate.certificateFile, certificate.keyFile);
    RunningReceiver receiver(folder.File("receiver.sqlite"), ServerLimits(), &tls);
    httplib::SSLClient client("127.0.0.1", receiver.Port());
    Trust(client, certificate.certificateFile);

    const auto posted = client.Post("/krn/import.asp", kFscBody, kFormType.c_str());
    ASSERT_TRUE(posted) << httplib::to_string(posted.error()) << " " << client.get_openssl_verify_result();
    EXPECT_EQ(posted->status, 200);
    EXPECT_EQ(posted->body, "OK: stored as import 1\n");

    const auto page = client.Get("/krn/start.asp?externalQuoteImportID=202612720565");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("<td>F-150 (4X4| XLT)</td>"), std::string::npos);

    const auto raw = client.Get("/?import=1&raw=1");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->body, kFscBody);

    // The same refusals as over HTTP.
    const auto other = client.Put("/", "x", "text/plain");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->status, 405);
}

TEST(Https, AClientThatDoesNotTrustTheCertificateOrSpeaksPlainHttpGetsNothing) {
    TestFolder folder;
    const SelfSigned certificate = MakeSelfSigned(folder);
    const TlsContext tls(certificate.certificateFile, certificate.keyFile);
    RunningReceiver receiver(folder.File("receiver.sqlite"), ServerLimits(), &tls);

    TestFolder other;
    httplib::SSLClient untrusting("127.0.0.1", receiver.Port());
    Trust(untrusting, MakeSelfSigned(other).certificateFile);
    EXPECT_FALSE(untrusting.Post("/", kFscBody, kFormType.c_str()));

    auto plain = receiver.Client();
    EXPECT_FALSE(plain.Post("/", kFscBody, kFormType.c_str()));
    EXPECT_EQ(receiver.Store().Count(), 0);
}

TEST(Https, AConnectionThatNeverStartsItsHandshakeIsEnded) {
    TestFolder folder;
    const SelfSigned certificate = MakeSelfSigned(folder);
    const TlsContext tls(certificate.certificateFile, certificate.keyFile);
    ServerLimits limits;
    limits.headDeadline = 500ms;
    RunningReceiver receiver(folder.File("receiver.sqlite"), limits, &tls);

    const int silent = ConnectTo(receiver.Port());
    ASSERT_GE(silent, 0);
    EXPECT_TRUE(EndedByPeer(silent, 5s));
    close(silent);
}

TEST(Https, CertificatesAndKeysThatCannotBeUsedAreRefusedWithTheirNames) {
    TestFolder folder;
    const SelfSigned certificate = MakeSelfSigned(folder);
    TestFolder other;
    const SelfSigned otherCertificate = MakeSelfSigned(other);
    const std::string text = folder.File("text.pem");
    std::ofstream(text) << "not a certificate\n";

    const auto refusal = [](const std::string& cert, const std::string& key) -> std::string {
        try {
            TlsContext tls(cert, key);
        } catch (const TlsError& error) {
            return error.what();
        }
        return "taken";
    };
    EXPECT_EQ(refusal(folder.File("missing.pem"), certificate.keyFile)
                  .rfind("cannot use the certificate " + folder.File("missing.pem"), 0),
              0u);
    EXPECT_EQ(refusal(text, certificate.keyFile).rfind("cannot use the certificate " + text, 0), 0u);
    EXPECT_EQ(refusal(certificate.certificateFile, text).rfind("cannot use the private key " + text, 0), 0u);
    const std::string mismatch = refusal(certificate.certificateFile, otherCertificate.keyFile);
    EXPECT_EQ(mismatch.rfind("cannot use the private key " + otherCertificate.keyFile, 0), 0u) << mismatch;
    EXPECT_NE(mismatch.find("key values mismatch"), std::string::npos) << mismatch;
}

}  // namespace
}  // namespace receiver
