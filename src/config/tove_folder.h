// The fall-back folder on every machine, and the TOVE program that keeps its files there.
// Start-up creates the folder (but for the TOVE program); a QQ import of the TOVE program
// finds its export file and its old route list there; and an export file not found where
// the rater said is looked for there too.
#pragma once

#include <string>

inline const char kToveFolder[] = "c:\\Program Files\\TOVE";

// The TOVE program is this program installed under a name that holds DAREDE.
bool IsToveProgram(const std::string& programName);

// `fileName` in the fall-back folder.
std::string InToveFolder(const std::string& fileName);
