// The hosts known to take TLS: what the program remembers, in "TlsHosts.dat" in the program
// folder, of servers that moved to TLS for good or said so with Strict-Transport-Security,
// so that a route naming such a server with http:// is posted over TLS straight away and
// the quote never crosses the network in clear to it again.
//
// The file has the layout of the other files: values, each ended by ";" and CR LF. A value
// is one host, one space, and either the UTC time until which the host is known
// ("quotes.example.com 2027-12-09T17:11:38Z") or "always", for an entry made in advance.
// A value that does not read so counts for nothing. Hosts compare ignoring case.
//
// Parsing and formatting work on the file's bytes, so a tool that prepares program folders
// can make the same file (KnowAlways for a host given in advance).
#pragma once

#include <string>
#include <vector>

#include "support/utc_time.h"

constexpr char kTlsHostsFile[] = "TlsHosts.dat";

struct TlsHostEntry {
    std::string host;
    bool always = false;
    UtcSeconds knownUntil = 0;  // unless `always`: known while the time is before this
    std::string value;          // as the file holds it: an entry nothing changed is written back as it was
};

class KnownTlsHosts {
public:
    // The entries of a file's bytes, in their order; values that are not entries are left out.
    static KnownTlsHosts Parse(const std::string& fileBytes);
    // The bytes of the file holding the entries still known at `now`.
    std::string Format(UtcSeconds now) const;

    const std::vector<TlsHostEntry>& Entries() const { return entries_; }
    bool IsKnown(const std::string& host, UtcSeconds now) const;

    // Each returns true when the entries changed. One entry per host: knowing a host again
    // replaces its entry, except that an "always" entry stays as it is. A host no value
    // could hold (empty, or with white space or ";") is not taken.
    bool KnowUntil(const std::string& host, UtcSeconds until);
    bool KnowAlways(const std::string& host);
    // Removes every entry of the host, "always" ones too.
    bool Forget(const std::string& host);

private:
    bool Know(const TlsHostEntry& entry);

    std::vector<TlsHostEntry> entries_;
};

// The hosts of the file at `path`, read with one try and no pause. A file that cannot be
// read holds none.
[[nodiscard]] KnownTlsHosts ReadTlsHosts(const std::string& path);

// Writes the entries still known at `now` to `path` through a temporary file swapped in,
// with one try and no pause, or deletes the file when none is left. False when the file
// stayed as it was; that is for the caller alone to know: the agent is not told, since the
// hosts are learned again from the servers.
[[nodiscard]] bool WriteTlsHosts(const std::string& path, const KnownTlsHosts& hosts, UtcSeconds now);
