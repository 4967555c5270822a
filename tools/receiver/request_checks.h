// What is checked of a request before any of its body is read: the method, and the framing
// of the body (Transfer-Encoding, Content-Length). The HTTP library reads a body by these
// headers as it finds them, taking "abc" or "1e3" for a length, and reads a body for a
// method it has no handler for whole into memory; so the receiver refuses such requests
// first. No I/O.
#pragma once

#include <httplib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace receiver {

// A request refused: the status to answer and one line saying why.
struct Refusal {
    int status = 400;
    std::string reason;
};

// Content-Length as HTTP defines it: decimal digits and nothing else, not past 2^63 - 1.
std::optional<std::uint64_t> ParseContentLength(std::string_view text);

// nullopt when the request may go on: a GET, HEAD or POST whose body, if any, is framed by
// one Transfer-Encoding "chunked" or by Content-Lengths that agree; a post must have one or
// the other, and a Content-Length of at most `maxBodyBytes` (a compressed body is counted
// again as it is undone).
std::optional<Refusal> CheckRequest(const httplib::Request& request, std::size_t maxBodyBytes);

// True when a request that passed CheckRequest carries a body (a Content-Length above 0
// or chunks), whatever its method.
bool CarriesBody(const httplib::Request& request);

}  // namespace receiver
