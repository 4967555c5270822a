// Start-up, which does all the work of the process: it reads the command line and either
// runs the import in the status window or, without a rater code, runs the main window. The
// process ends when it returns.
#pragma once

#include "version.h"

// The version text shown in both windows' version labels and sent with every import.
inline const char kVersionText[] = VANTREL_VERSION_TEXT;

// How the last start was dispatched, in the program folder.
inline const char kRunLogFileName[] = "vantrel.log";

void StartUp();
