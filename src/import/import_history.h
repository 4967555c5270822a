// Support's record of every import: one line per import, appended to "imports.log" in the
// working directory, so that a quote that did not arrive can be traced after "vantrel.log"
// and "export.log" have been rewritten by later runs. A line says what became of the post,
// never what it carried: no value of the quote, nothing of the export file and nothing
// typed into a password dialog.
#pragma once

#include <cstddef>
#include <string>

#include "import/import_outcome.h"
#include "platform/clock_reading.h"

inline constexpr char kImportHistoryFile[] = "imports.log";
// The history before the last rollover; one generation is kept.
inline constexpr char kOldImportHistoryFile[] = "imports.old.log";
// A line that would take the history past this many bytes starts a new one, and the full
// one becomes kOldImportHistoryFile.
constexpr std::size_t kImportHistoryLimit = 1024 * 1024;

// The line of one import (not kNothingToImport), without its line end: eleven fields, each
// followed by a tab but the last, a tab, CR or LF inside a field becoming a space.
//  1. `at` as ISO 8601 local time with its UTC offset: 2026-12-09T14:03:07-05:00
//  2. the import identifier      3. the rater code      4. the product name
//  5. the route's server host, without the scheme
//  6. how the post travelled: http, https, http->https (moved to TLS), https (known)
//  7. the outcome: taken, refused, internet-error, send-failed, not-sent, or file-missing
//     when the export file could not be read (the post went without the quote all the same)
//  8. the status and reason of the answer: "200 OK", "503"
//  9. a refused redirect's Location   10. an internet error's description
// 11. the milliseconds from "Connecting to" to the answer or the failure
// Fields 5, 6 and 11 are empty when nothing was posted, 8 to 10 when they do not apply.
std::string ImportHistoryLine(const ZonedClockReading& at, const std::string& raterCode, const std::string& productName,
                              const ImportOutcome& outcome);

// Appends `line` and CR LF to kImportHistoryFile, rolling it over first when the line would
// take it past kImportHistoryLimit. One try at each step, no pause, nothing shown: a history
// held by another program or in a read-only folder must not cost the agent time or a word.
// False when the line was not written.
[[nodiscard]] bool AppendImportHistory(const std::string& line);
