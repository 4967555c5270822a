// The server-answer judge on any status, reason, Location, route host and object name, for
// a plain post and a post over TLS, each as a first answer and as the answer to a request
// sent again after a move. What must hold, each worked out here the plain way rather than
// with the judge's own rules:
//  - a move to TLS only for a plain post not moved before, on a redirect (301, 302, 303,
//    307, 308) whose Location is "https://" in any case, then the route's host in any case,
//    with ":443" or without, then the very path that was posted (an empty one is "/", and a
//    query or fragment may follow the host straight away);
//  - a redirect counted as taken only for 302 and 303, to a path of the server ("/" but not
//    "//" first) or to the route's host under the scheme the post went by (its default port
//    written or not);
//  - a post over TLS is judged alike whether the route was https from the start or the
//    server moved there;
//  - the refusal message of a redirect with a Location holds that Location byte for byte.
//
// Input: the first two bytes are the status (big-endian, signed); the rest is split at zero
// bytes into the reason, the Location, the route's host and the object name.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "import/server_answer.h"

namespace {

bool IsRedirectStatus(int status) {
    for (int redirect : {301, 302, 303, 307, 308}) {
        if (status == redirect) return true;
    }
    return false;
}

std::string Lower(std::string value) {
    for (char& c : value) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    }
    return value;
}

// Whether `value` starts with `start`, letters compared in any case.
bool StartsWithAnyCase(const std::string& value, const std::string& start) {
    return value.size() >= start.size() && Lower(value.substr(0, start.size())) == Lower(start);
}

// What follows "<scheme>://<host>" or "<scheme>://<host>:<port>" in `location`, for each
// of the two that `location` starts with.
std::vector<std::string> AfterTheHost(const std::string& location, const std::string& scheme, const std::string& host,
                                      const std::string& port) {
    std::vector<std::string> rests;
    for (const std::string& start : {scheme + "://" + host, scheme + "://" + host + ":" + port}) {
        if (StartsWithAnyCase(location, start)) rests.push_back(location.substr(start.size()));
    }
    return rests;
}

bool NamesThePostOverTls(const std::string& location, const std::string& host, const std::string& objectName) {
    const std::string posted = objectName.rfind('/', 0) == 0 ? objectName : "/" + objectName;
    for (const std::string& rest : AfterTheHost(location, "https", host, "443")) {
        if (rest == posted || (rest.empty() && posted == "/")) return true;
        if (!rest.empty() && (rest[0] == '?' || rest[0] == '#') && "/" + rest == posted) return true;
    }
    return false;
}

bool IsPageOfTheServer(const std::string& location, const std::string& host, bool secure) {
    if (location.rfind('/', 0) == 0) return location.rfind("//", 0) != 0;
    for (const std::string& rest : AfterTheHost(location, secure ? "https" : "http", host, secure ? "443" : "80")) {
        if (rest.empty() || rest[0] == '/' || rest[0] == '?' || rest[0] == '#') return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::vector<std::string> parts(1);
    for (std::size_t i = 2; i < size; ++i) {
        if (data[i] == 0 && parts.size() < 4) {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(data[i]);
        }
    }
    parts.resize(4);

    const ServerAnswer answer{static_cast<std::int16_t>(data[0] << 8 | data[1]), parts[0], parts[1]};
    const std::string& host = parts[2];
    const std::string& objectName = parts[3];
    const bool redirect = IsRedirectStatus(answer.statusCode);

    for (bool secure : {false, true}) {
        for (bool moved : {false, true}) {
            const AnswerVerdict verdict = JudgeAnswer(answer, {host, objectName, secure}, moved);
            if (verdict == AnswerVerdict::kMoveToTls) {
                FUZZ_CHECK(!secure && !moved);
                FUZZ_CHECK(redirect);
                FUZZ_CHECK(NamesThePostOverTls(answer.location, host, objectName));
            }
            if (verdict == AnswerVerdict::kTaken && (answer.statusCode < 200 || answer.statusCode > 299)) {
                FUZZ_CHECK(answer.statusCode == 302 || answer.statusCode == 303);
                FUZZ_CHECK(IsPageOfTheServer(answer.location, host, secure));
            }
        }
    }
    FUZZ_CHECK(JudgeAnswer(answer, {host, objectName, true}, true) ==
               JudgeAnswer(answer, {host, objectName, true}, false));

    const std::string message = RefusalMessage(host, answer);
    if (redirect && !answer.location.empty()) {
        FUZZ_CHECK(message.find("(to " + answer.location + ").") != std::string::npos);
    }
    return 0;
}
