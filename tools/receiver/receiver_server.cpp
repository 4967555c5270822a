#include "receiver_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>

#include "guarded_server.h"
#include "log_text.h"
#include "pages.h"
#include "request_checks.h"

namespace receiver {
namespace {

constexpr const char* kTextContentType = "text/plain; charset=us-ascii";
// Connections the system may hold before they are accepted.
constexpr int kListenBacklog = 512;
// A raw body is sent this much at a time, read from the store as it goes.
constexpr std::size_t kDownloadChunk = 256 * 1024;

std::optional<std::int64_t> ParseRow(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// Answers with `refusal` and ends the connection afterwards: the rest of the request, if
// any, was not read.
void Refuse(httplib::Response& response, const Refusal& refusal, const std::string& prefix) {
    response.status = refusal.status;
    if (refusal.status == 405) {
        response.set_header("Allow", "GET, HEAD, POST");
    }
    response.set_header("Connection", "close");
    response.set_content(prefix + refusal.reason + "\n", kTextContentType);
    GuardedServer::EndConnectionAfterAnswer();
}

}  // namespace

std::string UtcTimestamp(std::chrono::system_clock::time_point time) {
    const auto sinceEpoch = time.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds).count();
    const std::time_t whole = static_cast<std::time_t>(seconds.count());
    std::tm parts{};
    gmtime_r(&whole, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(millis));
    return text;
}

struct ReceiverServer::Impl {
    Impl(std::ostream& log, const ServerLimits& limits, const TlsContext* tls)
        : log(log), limits(limits), server(limits, tls ? tls->Handle() : nullptr) {}

    // Runs before any of a request's body is read (and before "100 Continue" is sent).
    std::optional<Refusal> Check(const httplib::Request& request) {
        const auto refusal = CheckRequest(request, limits.maxBodyBytes);
        if (!refusal && request.method != "POST" && CarriesBody(request)) {
            // Answered, but its body is never read, so what follows on the connection is no request.
            GuardedServer::EndConnectionAfterAnswer();
        }
        return refusal;
    }

    void HandlePost(const httplib::Request& request, httplib::Response& response,
                    const httplib::ContentReader& reader) {
        if (request.is_multipart_form_data()) {
            // Reading it as one body would need the multipart reader; it is not a quote post anyway.
            Refuse(response, {415, "a quote post is application/x-www-form-urlencoded, not multipart"}, "not stored: ");
            return;
        }
        ReceivedPost post;
        post.receivedAt = UtcTimestamp(std::chrono::system_clock::now());
        post.peer = request.remote_addr;
        post.path = request.target;
        post.contentType = request.get_header_value("Content-Type");
        const auto length = ParseContentLength(request.get_header_value("Content-Length"));
        if (length && !request.has_header("Content-Encoding")) {
            post.body.reserve(static_cast<std::size_t>(*length));  // checked against the cap already
        }
        // Counted as it arrives, after the library has undone any Content-Encoding, so neither
        // chunks nor a small compressed body can make it grow past the cap. (The content
        // reader, not the ready-made body: the library refuses form bodies over 8 KiB when it
        // reads them itself, and a long export makes far longer ones.)
        bool tooLong = false;
        const bool whole = reader([&](const char* data, std::size_t size) {
            if (size > limits.maxBodyBytes - post.body.size()) {
                tooLong = true;
                return false;
            }
            post.body.append(data, size);
            return true;
        });
        if (tooLong) {
            Refuse(response, {413, "the body is longer than " + std::to_string(limits.maxBodyBytes) + " bytes"},
                   "not stored: ");
            return;
        }
        if (!whole) {
            Refuse(response, {response.status > 0 ? response.status : 400, "the body did not arrive whole"},
                   "not stored: ");
            return;
        }
        try {
            const AddedImport added = store->Add(post);
            std::string answer = "OK: stored as import " + std::to_string(added.id);
            if (!added.malformedReason.empty()) {
                answer += ", flagged malformed: " + added.malformedReason;
            }
            response.status = 200;
            response.set_content(answer + "\n", kTextContentType);
        } catch (const StoreError& error) {
            response.status = 500;
            response.set_content(std::string("not stored: ") + error.what() + "\n", kTextContentType);
        }
    }

    void HandleGet(const httplib::Request& request, httplib::Response& response) {
        try {
            if (request.has_param("externalQuoteImportID")) {
                ServeStartPage(request.get_param_value("externalQuoteImportID"), response);
            } else if (request.has_param("import")) {
                const std::string row = request.get_param_value("import");
                const auto number = ParseRow(row);
                if (number && request.has_param("raw")) {
                    ServeRawBody(*number, row, response);
                } else {
                    const auto page = ParseRow(request.get_param_value("page"));
                    const auto excerpt = number ? store->Read(*number, PageLimits(page.value_or(1))) : std::nullopt;
                    response.status = excerpt ? 200 : 404;
                    response.set_content(excerpt ? RenderImportPage(*excerpt) : RenderUnknownRowPage(row),
                                         kPageContentType);
                }
            } else if (request.path == "/") {
                response.status = 200;
                response.set_content(RenderIndexPage(store->ListNewest(kIndexLimit, kTextShown), store->Count()),
                                     kPageContentType);
            } else {
                response.status = 404;
                response.set_content(RenderNotFoundPage(request.path), kPageContentType);
            }
        } catch (const StoreError& error) {
            response.status = 500;
            response.set_content(std::string("cannot read the store: ") + error.what() + "\n", kTextContentType);
        }
    }

    void ServeStartPage(const std::string& id, httplib::Response& response) {
        auto imports = store->ListByExternalId(id, kEarlierListed + 1, kTextShown);
        const auto newest = imports.empty() ? std::nullopt : store->Read(imports.front().id, PageLimits(1));
        if (!newest) {
            response.status = 404;
            response.set_content(RenderUnknownImportPage(id), kPageContentType);
            return;
        }
        imports.erase(imports.begin());
        response.status = 200;
        response.set_content(RenderStartPage(id, *newest, imports, store->CountByExternalId(id)), kPageContentType);
    }

    // The raw body as it came, read from the store a chunk at a time as it is sent, so a
    // body of any size costs no more memory than one chunk.
    void ServeRawBody(std::int64_t id, const std::string& row, httplib::Response& response) {
        const auto size = store->BodySize(id);
        if (!size) {
            response.status = 404;
            response.set_content(RenderUnknownRowPage(row), kPageContentType);
            return;
        }
        response.status = 200;
        response.set_header("Content-Disposition", "attachment; filename=\"" + RawBodyFileName(id) + "\"");
        response.set_content_provider(
            static_cast<std::size_t>(*size), "application/octet-stream",
            [this, id](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                try {
                    const std::string bytes =
                        store->ReadBody(id, static_cast<std::int64_t>(offset), std::min(length, kDownloadChunk));
                    return !bytes.empty() && sink.write(bytes.data(), bytes.size());
                } catch (const StoreError& error) {
                    // The status line is out already; all that is left is to end the answer short.
                    Write(UtcTimestamp(std::chrono::system_clock::now()) + " cannot send the raw body of import " +
                          std::to_string(id) + ": " + error.what());
                    return false;
                }
            });
    }

    // One line per request. For a post the answer's own line says what became of it.
    void Log(const httplib::Request& request, const httplib::Response& response) {
        std::string line = UtcTimestamp(std::chrono::system_clock::now()) + " " + request.remote_addr + " " +
                           request.method + " " + request.target + " " + std::to_string(response.status);
        if (request.method == "POST") {
            if (request.has_header("Content-Length")) {
                line += " " + request.get_header_value("Content-Length") + " bytes";
            } else if (request.has_header("Transfer-Encoding")) {
                line += " chunked";
            }
            std::string answer = response.body;
            if (!answer.empty() && answer.back() == '\n') {
                answer.pop_back();
            }
            if (!answer.empty() && answer.find('\n') == std::string::npos) {
                line += " - " + answer;
            }
        }
        Write(line);
    }

    void Write(const std::string& line) {
        const std::string escaped = EscapeForLog(line);
        std::lock_guard<std::mutex> hold(logLock);
        log << escaped << std::endl;
    }

    std::ostream& log;
    std::mutex logLock;
    ServerLimits limits;
    ImportStore* store = nullptr;  // set by Serve before the first request is read
    GuardedServer server;
    std::atomic<bool> serving{false};
    std::atomic<bool> stopRequested{false};
};

ReceiverServer::ReceiverServer(std::ostream& log, const ServerLimits& limits, const TlsContext* tls)
    : impl_(std::make_unique<Impl>(log, limits, tls)) {
    Impl& impl = *impl_;
    // The library's default also sets SO_REUSEPORT, with which a second receiver started on
    // the same port binds without complaint and the system then hands each post to one of
    // the two at random. SO_REUSEADDR alone still allows a restart right after a stop.
    impl.server.set_socket_options([](socket_t socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    impl.server.set_pre_routing_handler([&impl](const httplib::Request& request, httplib::Response& response) {
        const auto refusal = impl.Check(request);
        if (!refusal) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        Refuse(response, *refusal, "refused: ");
        return httplib::Server::HandlerResponse::Handled;
    });
    // A client that waits for "100 Continue" before it sends its body is refused then instead.
    impl.server.set_expect_100_continue_handler([&impl](const httplib::Request& request, httplib::Response& response) {
        const auto refusal = impl.Check(request);
        if (!refusal) {
            return 100;
        }
        Refuse(response, *refusal, "refused: ");
        return refusal->status;
    });
    impl.server.Post(R"(.*)",
                     [&impl](const httplib::Request& request, httplib::Response& response,
                             const httplib::ContentReader& reader) { impl.HandlePost(request, response, reader); });
    impl.server.Get(R"(.*)", [&impl](const httplib::Request& request, httplib::Response& response) {
        impl.HandleGet(request, response);
    });
    impl.server.set_logger(
        [&impl](const httplib::Request& request, const httplib::Response& response) { impl.Log(request, response); });
}

ReceiverServer::~ReceiverServer() {
    Stop();
}

int ReceiverServer::Bind(const std::string& address, int port) {
    const int bound =
        port == 0 ? impl_->server.bind_to_any_port(address) : (impl_->server.bind_to_port(address, port) ? port : -1);
    return bound > 0 && impl_->server.WidenBacklog(kListenBacklog) ? bound : -1;
}

bool ReceiverServer::Serve(ImportStore& store) {
    impl_->store = &store;
    // Written before stopRequested is read, and Stop does the opposite, so of a Serve and a
    // Stop that meet, at least one sees the other (both flags are sequentially consistent).
    impl_->serving = true;
    if (impl_->stopRequested) {
        impl_->serving = false;
        return true;
    }
    const bool served = impl_->server.listen_after_bind();
    impl_->serving = false;
    return served;
}

void ReceiverServer::Stop() {
    impl_->stopRequested = true;
    // The library's stop only acts on a server whose accept loop already runs; one asked for
    // between the start of Serve and that moment would be lost, so wait for the loop first
    // (a few milliseconds at most; bounded all the same).
    for (int waited = 0; waited < 500 && impl_->serving && !impl_->server.is_running(); ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    impl_->server.stop();
}

}  // namespace receiver
