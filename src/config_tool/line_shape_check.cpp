#include "config_tool/line_shape_check.h"

#include <algorithm>

namespace {

void CheckLine(std::string line, bool ended, int number, Findings& findings) {
    const auto problem = [&](std::string text) {
        findings.push_back(Problem(Finding::Place::kLine, number, std::move(text)));
    };
    if (!ended) {
        problem("is missing its CR LF at the end of the file");
    } else if (line.empty() || line.back() != '\r') {
        problem("ends in a bare line feed, not CR LF");
    } else {
        line.pop_back();
    }
    if (line.find('\r') != std::string::npos) problem("holds a carriage return inside its value");
    const std::size_t separators = static_cast<std::size_t>(std::count(line.begin(), line.end(), ';'));
    if (separators == 0) {
        problem("does not end in ';': the program reads no value from it");
        return;
    }
    if (line.back() != ';') problem("has text after its last ';', which the program drops");
    if (separators > 1) {
        problem("holds " + std::to_string(separators) +
                " ';': the program reads it as that many values, and every later value moves down");
    }
}

}  // namespace

Findings CheckLineShape(const std::string& bytes, std::optional<std::size_t> expectedLines) {
    Findings findings;
    std::size_t lines = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        const bool ended = end != std::string::npos;
        const std::size_t stop = ended ? end : bytes.size();
        CheckLine(bytes.substr(start, stop - start), ended, static_cast<int>(++lines), findings);
        start = stop + 1;
    }
    if (expectedLines && lines != *expectedLines) {
        findings.push_back(Problem(Finding::Place::kFile, 0,
                                   "has " + std::to_string(lines) + " lines; the program's own save writes exactly " +
                                       std::to_string(*expectedLines)));
    }
    return findings;
}
