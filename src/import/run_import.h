// The import itself, without a window: names the upload, encodes the rater's export file,
// writes "export.log", posts the quote to the customer's server and says what became of
// it. It runs on the caller's thread from start to end; what it shows on the way goes to
// an ImportProgress, and the hand-off to the web product is left to the caller.
#pragma once

#include <functional>
#include <string>

#include "config/import_settings.h"
#include "config/rater.h"
#include "config/route_table.h"
#include "import/import_outcome.h"
#include "import/import_progress.h"
#include "platform/clock_reading.h"

struct ImportRequest {
    std::string versionText;         // sent as xversion and shown in the version label
    RunRater rater;                  // who sent the export file; nobody imports nothing
    std::string exportFilePath;      // the rater's export file
    const ImportSettings& settings;  // the post file, the launch file and the product name
    RouteTable& routes;              // where the product's quotes go; a lookup trims the rows it reads
    std::function<ClockReading()> clock;
};

// Progress shown on the way, in order: "File does not exist <path>" as a notice when the
// export file is not there (the post goes all the same, as it always has), "Writing Export
// Log...", the version, "Connecting to <host>", "Sending Data to <host>" (again for each time
// the post goes again) and, once the server took it, "Import Complete! Opening Web Site
// <host>".
[[nodiscard]] ImportOutcome RunImport(const ImportRequest& request, ImportProgress& progress);
