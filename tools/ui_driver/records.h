// The records file (README.md, "Records"): one record a line, its fields joined by tabs, every
// field escaped ("\" as "\\", tab, CR and LF as "\t", "\r", "\n") so a record stays one line.
// Each record is one unbuffered WriteFile, made as soon as the record exists, so a harness
// reading the file while the run goes on only ever sees whole records.
#pragma once

#include <string>
#include <vector>

#include "windows_api.h"

namespace ui_driver {

class Records {
public:
    // Creates or truncates the file; false when it cannot be created.
    bool Open(const std::string& path);

    // Writes one record (and logs it with --verbose). Numeric fields are unaffected by escaping.
    void Write(const std::vector<std::string>& fields);

    void Close();

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// The one records file of the run.
extern Records g_records;

}  // namespace ui_driver
