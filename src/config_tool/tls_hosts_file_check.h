// The checks of a "TlsHosts.dat" that IT ships or a PC learned: each value one host, a space,
// and the UTC time until which it is known or "always". The program skips a value it cannot
// read, so a misspelt entry silently protects nobody.
#pragma once

#include <string>

#include "config_tool/finding.h"
#include "support/utc_time.h"

// The shape of the file's lines, then each value: one that is not an entry (a problem), and
// one whose time has passed at `now` (a warning: the program drops it at its next write).
Findings CheckTlsHostsFile(const std::string& bytes, UtcSeconds now);
