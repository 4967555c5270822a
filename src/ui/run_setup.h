// Editing the settings record through the Setup window.
#pragma once

#include "config/import_settings.h"

// Lets the agent edit `settings` in the Setup window. On Save (result 1) the fields take
// the window's values, trimmed, with vantrelFolder set to the working directory; the file is
// rewritten and copied into qqPath. A save that cannot be written is reported and leaves the
// window open. Anything else changes nothing.
int RunSetup(ImportSettings& settings);
