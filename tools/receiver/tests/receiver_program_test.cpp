// The vantrel_receiver program itself: its start, its refusals and its stop.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "self_signed.h"
#include "test_folder.h"

namespace {

using namespace std::chrono_literals;

// A port of 127.0.0.1 held by this test, so nothing else can listen on it.
class TakenPort {
public:
    TakenPort() {
        socket_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(socket_, 1) != 0 ||
            getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("cannot hold a port");
        }
        port_ = ntohs(address.sin_port);
    }
    ~TakenPort() { close(socket_); }
    int Port() const { return port_; }

private:
    int socket_ = -1;
    int port_ = 0;
};

TEST(ReceiverProgram, APortAlreadyTakenLeavesNoDatabaseBehind) {
    TestFolder folder;
    const std::string database = folder.File("new.sqlite");
    TakenPort taken;

    ChildProcess program({RECEIVER_PROGRAM, "--port", std::to_string(taken.Port()), "--db", database});
    const std::string output = program.ReadRest(10s);
    EXPECT_EQ(program.Wait(10s), 1) << output;
    EXPECT_NE(output.find("cannot listen on 127.0.0.1:" + std::to_string(taken.Port())), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(database));
}

// The line end-to-end tests wait for, and what it says: where, how, and into which file.
TEST(ReceiverProgram, ServesHttpsWithCertAndKeyAndSaysSoAtStart) {
    TestFolder folder;
    const SelfSigned certificate = MakeSelfSigned(folder);
    const std::string database = folder.File("receiver.sqlite");

    ChildProcess program({RECEIVER_PROGRAM, "--port", "0", "--db", database, "--cert", certificate.certificateFile,
                          "--key", certificate.keyFile});
    const auto start = program.ReadLine(10s);
    ASSERT_TRUE(start.has_value());
    const std::string prefix = "vantrel_receiver: listening on https://127.0.0.1:";
    ASSERT_EQ(start->rfind(prefix, 0), 0u) << *start;
    const int port = std::stoi(start->substr(prefix.size()));
    EXPECT_NE(start->find("/, storing in " + database), std::string::npos) << *start;

    httplib::SSLClient client("127.0.0.1", port);
    client.set_ca_cert_path(certificate.certificateFile.c_str());
    client.enable_server_certificate_verification(true);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    const auto posted = client.Post("/krn/import.asp", "source=Vantrel20&R0=A", "application/x-www-form-urlencoded");
    ASSERT_TRUE(posted) << httplib::to_string(posted.error());
    EXPECT_EQ(posted->status, 200);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(10s), 0);
}

TEST(ReceiverProgram, AnUnusableCertificateOrDatabaseStopsTheStartWithItsReason) {
    TestFolder folder;
    const SelfSigned certificate = MakeSelfSigned(folder);
    const std::string database = folder.File("new.sqlite");
    {
        ChildProcess program({RECEIVER_PROGRAM, "--port", "0", "--db", database, "--cert", folder.File("none.pem"),
                              "--key", certificate.keyFile});
        const std::string output = program.ReadRest(10s);
        EXPECT_EQ(program.Wait(10s), 1) << output;
        EXPECT_EQ(output.rfind("vantrel_receiver: cannot use the certificate " + folder.File("none.pem"), 0), 0u)
            << output;
        EXPECT_FALSE(std::filesystem::exists(database));
    }
    {
        ChildProcess program({RECEIVER_PROGRAM, "--cert", certificate.certificateFile});
        const std::string output = program.ReadRest(10s);
        EXPECT_EQ(program.Wait(10s), 2) << output;
        EXPECT_EQ(output.rfind("vantrel_receiver: --cert and --key go together", 0), 0u) << output;
    }
    {
        const std::string text = folder.File("text.sqlite");
        std::ofstream(text) << "this is not a database, just text long enough to have a header of its own\n";
        ChildProcess program({RECEIVER_PROGRAM, "--port", "0", "--db", text});
        const std::string output = program.ReadRest(10s);
        EXPECT_EQ(program.Wait(10s), 1) << output;
        EXPECT_EQ(output.rfind("vantrel_receiver: " + text + ": is damaged or not a database", 0), 0u) << output;
    }
}

}  // namespace
