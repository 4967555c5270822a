#include "import/server_answer.h"

#include "support/number_time_text.h"
#include "support/text.h"

namespace {

constexpr int kProxyAuthenticationRequired = 407;
constexpr int kUnauthorized = 401;
const char kNotImported[] = "\nThe quote was not imported.";

bool IsRedirect(int statusCode) {
    return statusCode == 301 || statusCode == 302 || statusCode == 303 || statusCode == 307 || statusCode == 308;
}

// A redirect that names a page to look at rather than a new home for the request.
bool PointsAtAPage(int statusCode) {
    return statusCode == 302 || statusCode == 303;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return text::ToUpper(a) == text::ToUpper(b);
}

// An absolute address split where the request's own address would be compared.
struct AbsoluteAddress {
    std::string scheme;     // "http" or "https", as written
    std::string authority;  // host, with a port when one was written
    std::string path;       // from the first "/" after the authority on; "/" when none
};

bool SplitAbsolute(const std::string& location, AbsoluteAddress& out) {
    const std::size_t schemeEnd = location.find("://");
    if (schemeEnd == std::string::npos) return false;
    out.scheme = location.substr(0, schemeEnd);
    const std::size_t authorityStart = schemeEnd + 3;
    const std::size_t pathStart = location.find_first_of("/?#", authorityStart);
    out.authority = location.substr(authorityStart, pathStart - authorityStart);
    out.path = pathStart == std::string::npos ? "/" : location.substr(pathStart);
    if (out.path[0] != '/') out.path = "/" + out.path;
    return true;
}

// The host, alone or with the scheme's default port written out.
bool IsHost(const std::string& authority, const std::string& host, const char* defaultPort) {
    return SameIgnoringCase(authority, host) || SameIgnoringCase(authority, host + ":" + defaultPort);
}

// The path the request line carried: the client puts a "/" in front of an object name
// that has none.
std::string RequestPath(const std::string& objectName) {
    return !objectName.empty() && objectName[0] == '/' ? objectName : "/" + objectName;
}

bool IsOwnAddressOverTls(const std::string& location, const PostedAddress& address) {
    AbsoluteAddress target;
    return SplitAbsolute(location, target) && SameIgnoringCase(target.scheme, "https") &&
           IsHost(target.authority, address.host, "443") && target.path == RequestPath(address.objectName);
}

bool IsOnSameServer(const std::string& location, const PostedAddress& address) {
    if (location.size() >= 1 && location[0] == '/') return location.size() == 1 || location[1] != '/';
    AbsoluteAddress target;
    const char* scheme = address.secure ? "https" : "http";
    return SplitAbsolute(location, target) && SameIgnoringCase(target.scheme, scheme) &&
           IsHost(target.authority, address.host, address.secure ? "443" : "80");
}

std::string StatusText(const ServerAnswer& answer) {
    const std::string code = IntToText(answer.statusCode);
    return answer.reason.empty() ? code : code + " " + answer.reason;
}

}  // namespace

AnswerVerdict JudgeAnswer(const ServerAnswer& answer, const PostedAddress& address, bool movedToTls) {
    if (answer.statusCode >= 200 && answer.statusCode <= 299) return AnswerVerdict::kTaken;
    if (!IsRedirect(answer.statusCode) || answer.location.empty()) return AnswerVerdict::kRefused;
    if (!movedToTls && !address.secure && IsOwnAddressOverTls(answer.location, address)) {
        return AnswerVerdict::kMoveToTls;
    }
    // The server took the post and shows a page of its own afterwards: nothing to fetch.
    if (PointsAtAPage(answer.statusCode) && IsOnSameServer(answer.location, address)) return AnswerVerdict::kTaken;
    return AnswerVerdict::kRefused;
}

bool AsksForPassword(int statusCode) {
    return statusCode == kUnauthorized || statusCode == kProxyAuthenticationRequired;
}

std::string RefusalMessage(const std::string& host, const ServerAnswer& answer) {
    const std::string status = "\"" + StatusText(answer) + "\"";
    if (answer.statusCode == kProxyAuthenticationRequired) {
        return "The proxy server answered " + status + "." + kNotImported;
    }
    if (IsRedirect(answer.statusCode) && !answer.location.empty()) {
        return "The server " + host + " answered " + status + " (to " + answer.location + ")." + kNotImported;
    }
    return "The server " + host + " answered " + status + "." + kNotImported;
}
