// The raters the Setup window offers, as positions in its drop-down list.
#pragma once

#include <string>

constexpr int kRaterChoices = 9;

// The list's entries, position 0 first: "-- SELECT RATER --", then the eight raters.
extern const char* const kRaterListTexts[kRaterChoices];

// The position of a rater code; 0 for any text that is not one of the eight codes
// (including "AUTO", an empty text and lower-case codes).
int RaterPosition(const std::string& raterCode);

// The rater code at a position; "AUTO" for 0 and any position outside 1-8.
std::string RaterCodeAt(int position);
