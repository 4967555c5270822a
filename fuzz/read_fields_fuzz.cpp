// ReadFields on any bytes, with each separator, into a small array whose elements past the
// capacity (the last one a sentinel) must come back untouched. The values read must be the
// ones the reading rules give, worked out here the plain way: CR LF taken as LF first, then
// byte by byte.
//
// Input: first byte = separator (";", "\n" or "", by its value mod 3) and capacity (0-8);
// the rest is the file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/fake/state.h"
#include "support/text_file.h"

namespace {

constexpr std::size_t kMostValues = 8;
const char* const kSeparators[] = {";", "\n", ""};
const char kFileName[] = "fields.txt";

std::string Untouched(std::size_t index) {
    return "\x01untouched " + std::to_string(index);
}

std::vector<std::string> ExpectedValues(const std::string& file, char separator, std::size_t capacity) {
    std::vector<std::string> values;
    std::string pending;
    for (std::size_t i = 0; i < file.size() && values.size() < capacity; ++i) {
        const char c = file[i];
        if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n') continue;
        if (c == separator) {
            values.push_back(pending);
            pending.clear();
        } else if (c == '\n') {
            pending.clear();
        } else if (c != '\0') {
            pending += c;
        }
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string separator = kSeparators[data[0] % 3];
    const char separatorByte = separator.empty() ? '\n' : separator[0];
    const std::size_t capacity = (data[0] / 3) % (kMostValues + 1);
    const std::string file = fuzz::Bytes(data + 1, size - 1);

    fuzz::InPrivateFolder folder;
    fuzz::WriteFile(kFileName, file);

    // kMostValues elements the reader may be given, then the sentinel.
    std::string values[kMostValues + 1];
    for (std::size_t i = 0; i <= kMostValues; ++i) values[i] = Untouched(i);

    FUZZ_CHECK(ReadFields(kFileName, separator, values, capacity));
    const std::vector<std::string> expected = ExpectedValues(file, separatorByte, capacity);
    for (std::size_t i = 0; i < expected.size(); ++i) FUZZ_CHECK(values[i] == expected[i]);
    for (std::size_t i = expected.size(); i <= kMostValues; ++i) FUZZ_CHECK(values[i] == Untouched(i));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(values[i].find_first_of(std::string{separatorByte, '\n', '\0'}) == std::string::npos);
    }
    // One try on the network policy: one pause, no message.
    FUZZ_CHECK(fake::Platform().sleeps == std::vector<int>{kNetworkPauseMs});
    FUZZ_CHECK(fake::Platform().messages.empty());

    // A file that is not there: false, every element as it was, every try paused for.
    if (data[0] >= 243) {
        std::string before[kMostValues + 1];
        for (std::size_t i = 0; i <= kMostValues; ++i) before[i] = values[i];
        FUZZ_CHECK(!ReadFields("not-there.txt", separator, values, capacity));
        for (std::size_t i = 0; i <= kMostValues; ++i) FUZZ_CHECK(values[i] == before[i]);
        FUZZ_CHECK(fake::Platform().sleepCalls == 1 + kNetworkTries);
        FUZZ_CHECK(fake::Platform().messages.empty());
    }
    return 0;
}
