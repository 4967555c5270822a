// The shape of a file of values as the program's own saves write it: one value per line,
// each followed by ";" and CR LF. The program's reader is lenient (a bare line feed, several
// values on a line, text after the last ";"), so a file off this shape still loads, but not
// always into the values someone meant: a second ";" on a line shifts every later value.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "config_tool/finding.h"

// Each line that is not exactly "value;" CR LF, and, when `expectedLines` is given, a file
// with another number of lines.
Findings CheckLineShape(const std::string& bytes, std::optional<std::size_t> expectedLines);
