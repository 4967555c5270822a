#include "receiver_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>

#include "form_decoder.h"
#include "pages.h"

namespace receiver {
namespace {

constexpr const char* kTextContentType = "text/plain; charset=us-ascii";

std::optional<std::int64_t> ParseRow(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
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
    Impl(ImportStore& store, std::ostream& log) : store(store), log(log) {}

    void HandlePost(const httplib::Request& request, httplib::Response& response,
                    const httplib::ContentReader& reader) {
        if (request.is_multipart_form_data()) {
            // Reading it as one body would need the multipart reader; it is not a quote post anyway.
            response.status = 415;
            response.set_content("not stored: a quote post is application/x-www-form-urlencoded, not multipart\n",
                                 kTextContentType);
            return;
        }
        ReceivedPost post;
        post.receivedAt = UtcTimestamp(std::chrono::system_clock::now());
        post.peer = request.remote_addr;
        post.path = request.target;
        post.contentType = request.get_header_value("Content-Type");
        // The content reader, not the ready-made body: the library refuses form bodies over
        // 8 KiB when it reads them itself, and a long export makes far longer ones.
        const bool whole = reader([&post](const char* data, std::size_t length) {
            post.body.append(data, length);
            return true;
        });
        if (!whole) {
            if (response.status == -1) {
                response.status = 400;
            }
            response.set_content("not stored: the body did not arrive whole\n", kTextContentType);
            return;
        }
        const DecodedForm form = DecodeForm(post.body);
        try {
            const std::int64_t id = store.Add(post, form);
            std::string answer = "OK: stored as import " + std::to_string(id);
            if (form.Malformed()) {
                answer += ", flagged malformed: " + form.Reason();
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
                const std::string id = request.get_param_value("externalQuoteImportID");
                const auto imports = store.FindByExternalId(id);
                response.status = imports.empty() ? 404 : 200;
                response.set_content(imports.empty() ? RenderUnknownImportPage(id) : RenderStartPage(id, imports),
                                     kPageContentType);
            } else if (request.has_param("import")) {
                const std::string row = request.get_param_value("import");
                const auto number = ParseRow(row);
                const auto stored = number ? store.FindById(*number) : std::nullopt;
                response.status = stored ? 200 : 404;
                response.set_content(stored ? RenderImportPage(*stored) : RenderUnknownRowPage(row), kPageContentType);
            } else if (request.path == "/") {
                response.status = 200;
                response.set_content(RenderIndexPage(store.ListNewest(kIndexLimit), store.Count()), kPageContentType);
            } else {
                response.status = 404;
                response.set_content(RenderNotFoundPage(request.path), kPageContentType);
            }
        } catch (const StoreError& error) {
            response.status = 500;
            response.set_content(std::string("cannot read the store: ") + error.what() + "\n", kTextContentType);
        }
    }

    // One line per request. For a post the answer's own line says what became of it.
    void Log(const httplib::Request& request, const httplib::Response& response) {
        std::string line = UtcTimestamp(std::chrono::system_clock::now()) + " " + request.remote_addr + " " +
                           request.method + " " + request.target + " " + std::to_string(response.status);
        if (request.method == "POST") {
            line += " " + request.get_header_value("Content-Length") + " bytes";
            std::string answer = response.body;
            if (!answer.empty() && answer.back() == '\n') {
                answer.pop_back();
            }
            if (!answer.empty() && answer.find('\n') == std::string::npos) {
                line += " - " + answer;
            }
        }
        std::lock_guard<std::mutex> hold(logLock);
        log << line << std::endl;
    }

    ImportStore& store;
    std::ostream& log;
    std::mutex logLock;
    httplib::Server server;
    std::atomic<bool> serving{false};
    std::atomic<bool> stopRequested{false};
};

ReceiverServer::ReceiverServer(ImportStore& store, std::ostream& log) : impl_(std::make_unique<Impl>(store, log)) {
    Impl& impl = *impl_;
    impl.server.set_payload_max_length(kMaxBodyBytes);
    // The library's default also sets SO_REUSEPORT, with which a second receiver started on
    // the same port binds without complaint and the system then hands each post to one of
    // the two at random. SO_REUSEADDR alone still allows a restart right after a stop.
    impl.server.set_socket_options([](socket_t socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
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
    if (port == 0) {
        return impl_->server.bind_to_any_port(address);
    }
    return impl_->server.bind_to_port(address, port) ? port : -1;
}

bool ReceiverServer::Serve() {
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
