#include "config_tool/tls_hosts_file_check.h"

#include <optional>
#include <vector>

#include "config/tls_hosts.h"
#include "config_tool/line_shape_check.h"
#include "support/field_reader.h"

namespace {

// Past this many entries the file is no longer a list IT made by hand or a PC learned.
constexpr std::size_t kMostEntries = 1000;

}  // namespace

Findings CheckTlsHostsFile(const std::string& bytes, UtcSeconds now) {
    Findings findings = CheckLineShape(bytes, std::nullopt);
    std::vector<std::string> values(kMostEntries);
    FieldReader reader(';', values.data(), values.size());
    reader.Take(bytes);
    if (reader.Overflowed()) {
        findings.push_back(Problem(Finding::Place::kFile, 0,
                                   "holds more than " + std::to_string(kMostEntries) + " values; no more are checked"));
    }
    for (std::size_t i = 0; i < reader.Stored(); ++i) {
        const int number = static_cast<int>(i) + 1;
        // The program's own reading of the one value: an entry, or nothing.
        const KnownTlsHosts read = KnownTlsHosts::Parse(values[i] + ";\r\n");
        if (read.Entries().size() != 1) {
            findings.push_back(Problem(Finding::Place::kValue, number,
                                       "\"" + values[i] +
                                           "\" is not a host, a space and a UTC time (2027-12-09T17:11:38Z) or "
                                           "\"always\": the program skips it"));
        } else if (!read.IsKnown(read.Entries()[0].host, now)) {
            findings.push_back(Warning(Finding::Place::kValue, number,
                                       "the time of \"" + values[i] + "\" has passed: the entry counts for nothing"));
        }
    }
    return findings;
}
