// Suggestions for a product name no route knows: the known names that take the fewest
// single-character edits to reach, letters compared without regard to case, since a name
// typed in the wrong case is the likeliest slip.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// At most `count` of `known`, closest first; among equally close names, in the order given.
std::vector<std::string> ClosestNames(const std::string& name, const std::vector<std::string>& known,
                                      std::size_t count = 5);

// The number of insertions, deletions and substitutions between two texts, case ignored.
std::size_t EditDistance(const std::string& a, const std::string& b);
