#include <windows.h>
#include <wininet.h>

#include "platform/http_post.h"

namespace platform {
namespace {

// Closes a WinINet handle on every way out of PostForm.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_) InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    operator HINTERNET() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

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
    return {PostResult::Outcome::kInternetError, code ? ErrorDescription(code) : std::string(), 0, std::string()};
}

PostResult InternetError() {
    return InternetError(GetLastError());
}

// The final status line of the answer. Wine's WinINet reports a send as done when the
// server closed the connection without answering; Windows fails the send with
// ERROR_HTTP_INVALID_SERVER_RESPONSE there, so that is what a missing status becomes.
PostResult ReadAnswer(HINTERNET request) {
    DWORD code = 0;
    DWORD size = sizeof code;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr) || code == 0) {
        return InternetError(ERROR_HTTP_INVALID_SERVER_RESPONSE);
    }
    PostResult answer{PostResult::Outcome::kAnswered, std::string(), static_cast<int>(code), std::string()};
    char reason[256] = {};
    DWORD reasonSize = sizeof reason;
    if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_TEXT, reason, &reasonSize, nullptr)) {
        answer.statusText.assign(reason, reasonSize);
    }
    return answer;
}

}  // namespace

PostResult PostForm(const FormPost& post, const std::function<void()>& beforeSend) {
    InternetHandle session(InternetOpenA(post.userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return InternetError();

    const INTERNET_PORT port = post.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    InternetHandle connection(InternetConnectA(session, post.host.c_str(), port, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, INTERNET_FLAG_NO_CACHE_WRITE, 1));
    if (!connection) return InternetError();
    // Set on the connection: the request copies them from there (Wine ignores them on the
    // session handle).
    DWORD timeout = kPostTimeoutMs;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionA(connection, option, &timeout, sizeof timeout);
    }

    // Over TLS the system checks the certificate as it does for any browser: no check is
    // switched off, so an untrusted or mismatched certificate fails the send.
    const DWORD requestFlags = INTERNET_FLAG_EXISTING_CONNECT | (post.secure ? INTERNET_FLAG_SECURE : 0);
    InternetHandle request(
        HttpOpenRequestA(connection, "POST", post.objectName.c_str(), "HTTP/1.0", nullptr, nullptr, requestFlags, 1));
    if (!request) return InternetError();
    if (!HttpAddRequestHeadersA(request, post.headerLine.c_str(), static_cast<DWORD>(-1),
                                HTTP_ADDREQ_FLAG_ADD_IF_NEW)) {
        return InternetError();
    }

    beforeSend();
    if (!HttpSendRequestA(request, nullptr, 0, const_cast<char*>(post.body.data()),
                          static_cast<DWORD>(post.body.size()))) {
        // A failure that carries an error code is an internet error; one without is the
        // send merely saying it failed.
        if (GetLastError() != 0) return InternetError();
        return {PostResult::Outcome::kSendFailed, std::string(), 0, std::string()};
    }
    return ReadAnswer(request);
}

}  // namespace platform
