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

PostResult InternetError() {
    const DWORD code = GetLastError();
    return {PostResult::Outcome::kInternetError, code ? ErrorDescription(code) : std::string()};
}

}  // namespace

PostResult PostForm(const FormPost& post, const std::function<void()>& beforeSend) {
    InternetHandle session(InternetOpenA(post.userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return InternetError();

    InternetHandle connection(InternetConnectA(session, post.host.c_str(), INTERNET_DEFAULT_HTTP_PORT, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, INTERNET_FLAG_NO_CACHE_WRITE, 1));
    if (!connection) return InternetError();
    // Set on the connection: the request copies them from there (Wine ignores them on the
    // session handle).
    DWORD timeout = kPostTimeoutMs;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionA(connection, option, &timeout, sizeof timeout);
    }

    InternetHandle request(HttpOpenRequestA(connection, "POST", post.objectName.c_str(), "HTTP/1.0", nullptr, nullptr,
                                            INTERNET_FLAG_EXISTING_CONNECT, 1));
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
        return {PostResult::Outcome::kSendFailed, std::string()};
    }
    return {PostResult::Outcome::kSent, std::string()};
}

}  // namespace platform
