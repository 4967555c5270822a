#include "config_tool/finding.h"

#include <algorithm>
#include <utility>

Finding Problem(Finding::Place place, int number, std::string text) {
    return {Finding::Kind::kProblem, place, number, std::move(text)};
}

Finding Warning(Finding::Place place, int number, std::string text) {
    return {Finding::Kind::kWarning, place, number, std::move(text)};
}

bool HasProblems(const Findings& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& finding) { return finding.kind == Finding::Kind::kProblem; });
}

std::string Describe(const std::string& fileName, const Finding& finding) {
    std::string where = fileName;
    if (finding.place == Finding::Place::kLine) where += " line " + std::to_string(finding.number);
    if (finding.place == Finding::Place::kValue) where += " value " + std::to_string(finding.number);
    const char* kind = finding.kind == Finding::Kind::kWarning ? "warning: " : "";
    return where + ": " + kind + finding.text;
}
