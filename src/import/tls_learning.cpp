#include "import/tls_learning.h"

#include <cstring>
#include <set>

#include "support/text.h"

namespace {

// Reads the directives of a header value from left to right.
class DirectiveScanner {
public:
    explicit DirectiveScanner(const std::string& value) : value_(value) {}

    bool AtEnd() const { return at_ == value_.size(); }
    bool Take(char c) {
        if (AtEnd() || value_[at_] != c) return false;
        ++at_;
        return true;
    }
    void SkipSpace() {
        while (!AtEnd() && (value_[at_] == ' ' || value_[at_] == '\t')) ++at_;
    }
    // A token: one or more characters that are neither controls nor separators.
    bool Token(std::string& token) {
        const std::size_t start = at_;
        while (!AtEnd() && IsTokenCharacter(value_[at_])) ++at_;
        token = value_.substr(start, at_ - start);
        return !token.empty();
    }
    // A quoted string, without its quotes and with each quoted pair taken as its character.
    bool QuotedString(std::string& content) {
        if (!Take('"')) return false;
        content.clear();
        while (!AtEnd() && value_[at_] != '"') {
            if (value_[at_] == '\\' && ++at_ == value_.size()) return false;
            content += value_[at_++];
        }
        return Take('"');
    }

private:
    static bool IsTokenCharacter(char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        return byte > 32 && byte < 127 && std::strchr("()<>@,;:\\\"/[]?={}", c) == nullptr;
    }

    const std::string& value_;
    std::size_t at_ = 0;
};

bool DeltaSeconds(const std::string& digits, UtcSeconds& seconds) {
    if (digits.empty()) return false;
    seconds = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        seconds = seconds > kLatestUtcSeconds ? seconds : seconds * 10 + (c - '0');
    }
    if (seconds > kLatestUtcSeconds) seconds = kLatestUtcSeconds;
    return true;
}

bool IsPermanentMove(int statusCode) {
    return statusCode == 301 || statusCode == 308;
}

}  // namespace

bool StrictTransportMaxAge(const std::string& headerValue, UtcSeconds& maxAge) {
    DirectiveScanner scanner(headerValue);
    std::set<std::string> seen;
    UtcSeconds seconds = 0;
    for (;;) {
        scanner.SkipSpace();
        if (scanner.AtEnd()) break;
        if (scanner.Take(';')) continue;  // an empty directive
        std::string name;
        if (!scanner.Token(name)) return false;
        scanner.SkipSpace();
        std::string value;
        const bool hasValue = scanner.Take('=');
        if (hasValue) {
            scanner.SkipSpace();
            if (!scanner.Token(value) && !scanner.QuotedString(value)) return false;
            scanner.SkipSpace();
        }
        if (!scanner.AtEnd() && !scanner.Take(';')) return false;
        name = text::ToUpper(name);
        if (!seen.insert(name).second) return false;
        if (name == "MAX-AGE") {
            if (!hasValue || !DeltaSeconds(value, seconds)) return false;
        }
    }
    if (seen.count("MAX-AGE") == 0) return false;
    maxAge = seconds;
    return true;
}

bool LearnFromTlsAnswer(KnownTlsHosts& hosts, const std::string& host, const platform::PostResult& answer,
                        int moveStatus, UtcSeconds now) {
    if (answer.outcome != platform::PostResult::Outcome::kAnswered) return false;
    UtcSeconds maxAge = 0;
    if (StrictTransportMaxAge(answer.strictTransportSecurity, maxAge)) {
        return maxAge == 0 ? hosts.Forget(host) : hosts.KnowUntil(host, now + maxAge);
    }
    return IsPermanentMove(moveStatus) && hosts.KnowUntil(host, now + kPermanentMoveSeconds);
}
