#include "self_signed.h"

#include <stdexcept>

#include "child_process.h"

SelfSigned MakeSelfSigned(const TestFolder& folder) {
    SelfSigned made{folder.File("cert.pem"), folder.File("key.pem")};
    // An EC key: made in milliseconds, where RSA takes a noticeable while.
    ChildProcess openssl({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                          "-nodes", "-days", "2", "-subj", "/CN=localhost", "-addext",
                          "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout", made.keyFile, "-out",
                          made.certificateFile});
    const std::string output = openssl.ReadRest(std::chrono::seconds(30));
    if (openssl.Wait(std::chrono::seconds(30)) != 0) {
        throw std::runtime_error("openssl could not make a certificate: " + output);
    }
    return made;
}
