// The vantrel_receiver program itself: its start, its refusals and its stop.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "child_process.h"
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

}  // namespace
