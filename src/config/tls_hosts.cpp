#include "config/tls_hosts.h"

#include <algorithm>

#include "support/field_reader.h"
#include "support/text.h"
#include "support/text_file.h"

namespace {

const char kAlways[] = "always";
constexpr char kSeparator = ';';

bool SameHost(const std::string& a, const std::string& b) {
    return text::ToUpper(a) == text::ToUpper(b);
}

// A host a value can hold and give back: not empty, without white space or separators.
bool IsEntryHost(const std::string& host) {
    return !host.empty() && std::none_of(host.begin(), host.end(),
                                         [](char c) { return text::IsWhiteSpace(c) || c == kSeparator || c == '\0'; });
}

bool ParseEntry(const std::string& value, TlsHostEntry& entry) {
    const std::size_t space = value.find(' ');
    if (space == std::string::npos) return false;
    entry.host = value.substr(0, space);
    if (!IsEntryHost(entry.host)) return false;
    const std::string when = value.substr(space + 1);
    entry.always = when == kAlways;
    if (!entry.always && !ParseUtcText(when, entry.knownUntil)) return false;
    entry.value = value;
    return true;
}

TlsHostEntry NewEntry(const std::string& host, bool always, UtcSeconds until) {
    TlsHostEntry entry;
    entry.host = host;
    entry.always = always;
    entry.knownUntil = always ? 0 : std::min(until, kLatestUtcSeconds);
    entry.value = host + " " + (always ? std::string(kAlways) : UtcText(entry.knownUntil));
    return entry;
}

bool StillKnown(const TlsHostEntry& entry, UtcSeconds now) {
    return entry.always || now < entry.knownUntil;
}

}  // namespace

KnownTlsHosts KnownTlsHosts::Parse(const std::string& fileBytes) {
    // Every value ends at a separator, so there are no more values than separators.
    std::vector<std::string> values(
        static_cast<std::size_t>(std::count(fileBytes.begin(), fileBytes.end(), kSeparator)));
    FieldReader reader(kSeparator, values.data(), values.size());
    reader.Take(fileBytes);
    KnownTlsHosts hosts;
    for (std::size_t i = 0; i < reader.Stored(); ++i) {
        TlsHostEntry entry;
        if (ParseEntry(values[i], entry)) hosts.entries_.push_back(entry);
    }
    return hosts;
}

std::string KnownTlsHosts::Format(UtcSeconds now) const {
    std::vector<std::string> values;
    for (const TlsHostEntry& entry : entries_) {
        if (StillKnown(entry, now)) values.push_back(entry.value);
    }
    return LinesFileBytes(values.data(), kSeparator, values.size());
}

bool KnownTlsHosts::IsKnown(const std::string& host, UtcSeconds now) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const TlsHostEntry& entry) { return SameHost(entry.host, host) && StillKnown(entry, now); });
}

bool KnownTlsHosts::KnowUntil(const std::string& host, UtcSeconds until) {
    return Know(NewEntry(host, false, until));
}

bool KnownTlsHosts::KnowAlways(const std::string& host) {
    return Know(NewEntry(host, true, 0));
}

bool KnownTlsHosts::Know(const TlsHostEntry& entry) {
    if (!IsEntryHost(entry.host)) return false;
    const auto sameHost = [&](const TlsHostEntry& known) { return SameHost(known.host, entry.host); };
    const auto first = std::find_if(entries_.begin(), entries_.end(), sameHost);
    if (first == entries_.end()) {
        entries_.push_back(entry);
        return true;
    }
    if (std::any_of(first, entries_.end(),
                    [&](const TlsHostEntry& known) { return sameHost(known) && known.always; })) {
        return false;
    }
    if (first->value == entry.value && std::count_if(first, entries_.end(), sameHost) == 1) return false;
    *first = entry;
    entries_.erase(std::remove_if(first + 1, entries_.end(), sameHost), entries_.end());
    return true;
}

bool KnownTlsHosts::Forget(const std::string& host) {
    const std::size_t before = entries_.size();
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const TlsHostEntry& known) { return SameHost(known.host, host); }),
                   entries_.end());
    return entries_.size() != before;
}

KnownTlsHosts ReadTlsHosts(const std::string& path) {
    std::string bytes;
    // Kept: a file that cannot be read leaves `bytes` empty, and no host is known: the post
    // goes as the route says, and the hosts are learned again from the servers.
    static_cast<void>(ReadWholeFileOnce(path, bytes));
    return KnownTlsHosts::Parse(bytes);
}

bool WriteTlsHosts(const std::string& path, const KnownTlsHosts& hosts, UtcSeconds now) {
    const std::string bytes = hosts.Format(now);
    return bytes.empty() ? RemoveFile(path) : ReplaceFileOnce(path, bytes);
}
