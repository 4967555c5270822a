#include "request_checks.h"

#include <strings.h>

#include <charconv>

namespace receiver {

std::optional<std::uint64_t> ParseContentLength(std::string_view text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    std::uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::optional<Refusal> CheckRequest(const httplib::Request& request, std::size_t maxBodyBytes) {
    const std::string& method = request.method;
    if (method != "GET" && method != "HEAD" && method != "POST") {
        return Refusal{405, "only GET, HEAD and POST are answered here"};
    }
    const std::size_t encodings = request.get_header_value_count("Transfer-Encoding");
    const std::size_t lengths = request.get_header_value_count("Content-Length");
    if (encodings > 0) {
        if (encodings > 1 || strcasecmp(request.get_header_value("Transfer-Encoding").c_str(), "chunked") != 0) {
            return Refusal{501, "a Transfer-Encoding other than \"chunked\" is not understood"};
        }
        if (lengths > 0) {
            return Refusal{400, "both Content-Length and Transfer-Encoding: the end of the body is in doubt"};
        }
        return std::nullopt;
    }
    std::optional<std::uint64_t> length;
    for (std::size_t i = 0; i < lengths; ++i) {
        const auto value = ParseContentLength(request.get_header_value("Content-Length", i));
        if (!value) {
            return Refusal{400, "Content-Length is not a decimal number"};
        }
        if (length && *length != *value) {
            return Refusal{400, "Content-Length given twice with different values"};
        }
        length = value;
    }
    // The library would read a body without either until the client closes the connection.
    if (method == "POST" && !length) {
        return Refusal{411, "a post needs a Content-Length or chunks"};
    }
    if (method == "POST" && *length > maxBodyBytes) {
        return Refusal{413, "the body is longer than " + std::to_string(maxBodyBytes) + " bytes"};
    }
    return std::nullopt;
}

bool CarriesBody(const httplib::Request& request) {
    const auto length = ParseContentLength(request.get_header_value("Content-Length"));
    return request.has_header("Transfer-Encoding") || (length && *length > 0);
}

}  // namespace receiver
