// Small operations on 8-bit texts that every part of the program shares.
// "White space" is the C library's space class: space, tab, CR, LF, vertical tab, form feed.
#pragma once

#include <string>
#include <string_view>

namespace text {

// One byte of the space class: the bytes the C library's isspace and atoi take for white
// space in the "C" locale.
inline bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Removes trailing white space; leading white space is never removed.
std::string TrimRight(std::string value);
void TrimRightInPlace(std::string& value);

// Upper-cases the letters a-z; every other byte is kept.
std::string ToUpper(std::string value);

// Takes views: the route rules are searched for as they stand in the built-in table, without
// a copy of each rule for every row.
bool Contains(std::string_view value, std::string_view part);

// Replaces every occurrence of `from` (not empty) by `to`, scanning left to right over the
// original text, so a replacement is never searched again.
std::string ReplaceAll(const std::string& value, const std::string& from, const std::string& to);

// Removes every occurrence of `part`.
std::string RemoveAll(const std::string& value, const std::string& part);

// Removes every occurrence of one character.
std::string RemoveChar(std::string value, char c);

}  // namespace text
