#include <windows.h>
#include <wininet.h>

#include "platform/http_post.h"
#include "platform/win32/dialog_host.h"

namespace platform {
namespace {

// Closes a WinINet handle when the request it belongs to is done with, on every way out.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() { Reset(nullptr); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    operator HINTERNET() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(HINTERNET handle) {
        if (handle_) InternetCloseHandle(handle_);
        handle_ = handle;
    }

private:
    HINTERNET handle_;
};

// The system's text for an error code: WinINet's own codes live in wininet.dll, the
// rest (socket and file errors) in the system table. Trailing CR LF trimmed, and cut to
// the 259 characters an error text has always been given.
std::string ErrorDescription(DWORD code) {
    char text[1024] = {};
    DWORD length = 0;
    if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST) {
        length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                GetModuleHandleA("wininet.dll"), code, 0, text, sizeof text, nullptr);
    }
    if (length == 0) {
        length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                sizeof text, nullptr);
    }
    std::string description(text, length);
    while (!description.empty() && (description.back() == '\r' || description.back() == '\n')) description.pop_back();
    if (description.size() > 259) description.resize(259);
    return description;
}

PostResult InternetError(DWORD code) {
    return {PostResult::Outcome::kInternetError, code ? ErrorDescription(code) : std::string(), 0, std::string(),
            std::string()};
}

PostResult InternetError() {
    return InternetError(GetLastError());
}

// Reads the first header of the answer by its query code, or by `name` with
// HTTP_QUERY_CUSTOM, as text; empty when the answer has none (or one too long to be any
// header this program reads).
std::string AnswerHeader(HINTERNET request, DWORD header, const char* name = "") {
    char value[2048] = {};
    lstrcpynA(value, name, sizeof value);
    DWORD size = sizeof value;
    DWORD first = 0;
    if (!HttpQueryInfoA(request, header, value, &size, &first)) return std::string();
    return std::string(value, size);
}

// The status line of the answer and where a redirect points. Wine's WinINet reports a send
// as done when the server closed the connection without answering; Windows fails the send
// with ERROR_HTTP_INVALID_SERVER_RESPONSE there, so that is what a missing status becomes.
PostResult ReadAnswer(HINTERNET request) {
    DWORD code = 0;
    DWORD size = sizeof code;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr) || code == 0) {
        return InternetError(ERROR_HTTP_INVALID_SERVER_RESPONSE);
    }
    // Only the first Strict-Transport-Security header counts, however many came.
    return {PostResult::Outcome::kAnswered,
            std::string(),
            static_cast<int>(code),
            AnswerHeader(request, HTTP_QUERY_STATUS_TEXT),
            AnswerHeader(request, HTTP_QUERY_LOCATION),
            AnswerHeader(request, HTTP_QUERY_CUSTOM, "Strict-Transport-Security")};
}

// Reads what is left of an answer, so the connection is clear for the request to go
// again. Bounded: a page that never ends cannot hold the import.
void DiscardAnswerBody(HINTERNET request) {
    char buffer[4096];
    DWORD read = 0;
    for (int chunk = 0; chunk < 256 && InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0; ++chunk) {
    }
}

}  // namespace

struct FormRequest::Handles {
    explicit Handles(const FormPost& post) : body(post.body) {}

    InternetHandle session{nullptr};
    InternetHandle connection{nullptr};
    InternetHandle request{nullptr};
    DWORD openError = 0;  // why opening failed, when it did
    std::string body;
};

FormRequest::FormRequest(const FormPost& post) : handles_(std::make_unique<Handles>(post)) {
    Handles& h = *handles_;
    h.session.Reset(InternetOpenA(post.userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!h.session) {
        h.openError = GetLastError();
        return;
    }
    const INTERNET_PORT port = post.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    h.connection.Reset(InternetConnectA(h.session, post.host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                        INTERNET_FLAG_NO_CACHE_WRITE, 1));
    if (!h.connection) {
        h.openError = GetLastError();
        return;
    }
    // Set on the connection: the request copies them from there (Wine ignores them on the
    // session handle).
    DWORD timeout = kPostTimeoutMs;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionA(h.connection, option, &timeout, sizeof timeout);
    }

    // Over TLS the system checks the certificate as it does for any browser: no check is
    // switched off, so an untrusted or mismatched certificate fails the send. Redirects come
    // back to the caller: the client's own following drops the body or turns the post into
    // a GET, so it would report a quote that never arrived as delivered.
    const DWORD requestFlags =
        INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT | (post.secure ? INTERNET_FLAG_SECURE : 0);
    h.request.Reset(
        HttpOpenRequestA(h.connection, "POST", post.objectName.c_str(), "HTTP/1.0", nullptr, nullptr, requestFlags, 1));
    if (!h.request) {
        h.openError = GetLastError();
        return;
    }
    if (!HttpAddRequestHeadersA(h.request, post.headerLine.c_str(), static_cast<DWORD>(-1),
                                HTTP_ADDREQ_FLAG_ADD_IF_NEW)) {
        h.openError = GetLastError();
        h.request.Reset(nullptr);
    }
}

FormRequest::~FormRequest() = default;

PostResult FormRequest::Send(const std::function<void()>& beforeSend) {
    Handles& h = *handles_;
    if (!h.request) return InternetError(h.openError);
    beforeSend();
    if (!HttpSendRequestA(h.request, nullptr, 0, const_cast<char*>(h.body.data()), static_cast<DWORD>(h.body.size()))) {
        // A failure that carries an error code is an internet error; one without is the
        // send merely saying it failed.
        if (GetLastError() != 0) return InternetError();
        return {PostResult::Outcome::kSendFailed, std::string(), 0, std::string(), std::string()};
    }
    return ReadAnswer(h.request);
}

bool FormRequest::AskForPassword(const Dialog& owner) {
    Handles& h = *handles_;
    DiscardAnswerBody(h.request);
    // The system's own dialog knows from the request whether the proxy or the server asked,
    // and stores what the agent typed on the request for the next send.
    const DWORD reply = InternetErrorDlg(
        DialogHost::Window(owner), h.request, ERROR_INTERNET_INCORRECT_PASSWORD,
        FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
        nullptr);
    return reply == ERROR_INTERNET_FORCE_RETRY;
}

}  // namespace platform
