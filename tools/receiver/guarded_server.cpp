#include "guarded_server.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

#include "connection_channel.h"
#include "connection_stream.h"

namespace receiver {
namespace {

// The flag EndConnectionAfterAnswer sets, for the connection this thread is answering: the
// library runs a request's handlers on the thread that reads it.
thread_local bool* endAfterAnswer = nullptr;

class AnswerScope {
public:
    AnswerScope() { endAfterAnswer = &end_; }
    ~AnswerScope() { endAfterAnswer = nullptr; }
    AnswerScope(const AnswerScope&) = delete;
    AnswerScope& operator=(const AnswerScope&) = delete;

    bool EndRequested() const { return end_; }

private:
    bool end_ = false;
};

}  // namespace

GuardedServer::GuardedServer(const ServerLimits& limits, SSL_CTX* tls) : limits_(limits), tls_(tls) {
    new_task_queue = [threads = limits.workerThreads] { return new httplib::ThreadPool(threads); };
}

bool GuardedServer::WidenBacklog(int connections) {
    // Listening again on a listening socket only changes its backlog.
    return ::listen(svr_sock_, connections) == 0;
}

void GuardedServer::EndConnectionAfterAnswer() {
    if (endAfterAnswer) {
        *endAfterAnswer = true;
    }
}

bool GuardedServer::process_and_close_socket(socket_t socket) {
    // Every wait below is the stream's own, bounded; a socket that would block on its own
    // could not be held to the limits, so it is not served.
    const int flags = fcntl(socket, F_GETFL);
    if (flags == -1 || fcntl(socket, F_SETFL, flags | O_NONBLOCK) == -1) {
        close(socket);
        return false;
    }
    std::unique_ptr<Channel> channel;
    if (tls_) {
        channel = std::make_unique<TlsChannel>(tls_, socket);
    } else {
        channel = std::make_unique<SocketChannel>(socket);
    }
    ConnectionStream stream(*channel, socket, limits_, [this] { return svr_sock_ == INVALID_SOCKET; });
    bool answered = false;
    bool unread = false;  // the client may still be sending what was not read
    if (stream.Open()) {
        for (std::size_t count = 1; count <= limits_.maxRequestsPerConnection && stream.AwaitRequest(); ++count) {
            stream.StartRequest();
            AnswerScope scope;
            bool clientCloses = false;
            answered = process_request(stream, count == limits_.maxRequestsPerConnection, clientCloses,
                                       [&stream](httplib::Request&) { stream.HeadRead(); });
            unread = scope.EndRequested() || stream.InHead() || stream.Broken();
            if (!answered || clientCloses || unread) {
                break;
            }
        }
    }
    channel->Close();
    if (unread) {
        stream.Drain();
    }
    shutdown(socket, SHUT_RDWR);
    close(socket);
    return answered;
}

}  // namespace receiver
