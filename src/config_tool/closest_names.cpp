#include "config_tool/closest_names.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "support/text.h"

std::size_t EditDistance(const std::string& a, const std::string& b) {
    const std::string upperA = text::ToUpper(a);
    const std::string upperB = text::ToUpper(b);
    // One row of the distance table at a time: row[j] is the distance between the part of
    // `a` seen so far and the first j characters of `b`.
    std::vector<std::size_t> row(upperB.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= upperA.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= upperB.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t substitution = diagonal + (upperA[i - 1] == upperB[j - 1] ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[upperB.size()];
}

std::vector<std::string> ClosestNames(const std::string& name, const std::vector<std::string>& known,
                                      std::size_t count) {
    std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, index in `known`
    for (std::size_t i = 0; i < known.size(); ++i) ranked.emplace_back(EditDistance(name, known[i]), i);
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::string> closest;
    for (std::size_t i = 0; i < ranked.size() && i < count; ++i) closest.push_back(known[ranked[i].second]);
    return closest;
}
