// What the customer's server (or the proxy in front of it) answered to the post, and what
// the import makes of it. The import follows no redirect blindly: a redirect carries no
// quote, so only the answers below count as taken.
#pragma once

#include <string>

struct ServerAnswer {
    int statusCode = 0;
    std::string reason;    // the reason the server gave with the status, possibly empty
    std::string location;  // the Location header of a redirect, empty when there was none
};

// Where the post went: the route's host, the object name exactly as it was requested, and
// whether it travelled over TLS.
struct PostedAddress {
    std::string host;
    std::string objectName;
    bool secure = false;
};

enum class AnswerVerdict {
    kTaken,      // 200 to 299, or a 302/303 pointing at a page of the same server
    kMoveToTls,  // the server moved to TLS: the same request goes once more, over TLS
    kRefused,    // anything else; RefusalMessage says what the agent is told
};

// Judges an answer to a post to `address`. `movedToTls` says the answer came to the request
// sent again over TLS after a move, which is never moved a second time.
[[nodiscard]] AnswerVerdict JudgeAnswer(const ServerAnswer& answer, const PostedAddress& address, bool movedToTls);

// A proxy (407) or a server (401) that wants a password before it takes the post.
bool AsksForPassword(int statusCode);

// What the agent is told when the answer was refused, naming the route's host: the status
// with its reason (left out when there was none), where a redirect pointed, or that it was
// the proxy that wanted a password.
std::string RefusalMessage(const std::string& host, const ServerAnswer& answer);
