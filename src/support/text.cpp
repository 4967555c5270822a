#include "support/text.h"

#include <algorithm>

namespace text {

std::string TrimRight(std::string value) {
    TrimRightInPlace(value);
    return value;
}

void TrimRightInPlace(std::string& value) {
    std::size_t end = value.size();
    while (end > 0 && IsWhiteSpace(value[end - 1])) --end;
    value.resize(end);
}

std::string ToUpper(std::string value) {
    for (char& c : value) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return value;
}

bool Contains(std::string_view value, std::string_view part) {
    return value.find(part) != std::string_view::npos;
}

std::string ReplaceAll(const std::string& value, const std::string& from, const std::string& to) {
    if (from.empty()) return value;
    std::string result;
    result.reserve(value.size());
    std::size_t start = 0;
    for (std::size_t hit = value.find(from); hit != std::string::npos; hit = value.find(from, start)) {
        result.append(value, start, hit - start);
        result += to;
        start = hit + from.size();
    }
    result.append(value, start, std::string::npos);
    return result;
}

std::string RemoveAll(const std::string& value, const std::string& part) {
    return ReplaceAll(value, part, std::string());
}

std::string RemoveChar(std::string value, char c) {
    value.erase(std::remove(value.begin(), value.end(), c), value.end());
    return value;
}

}  // namespace text
