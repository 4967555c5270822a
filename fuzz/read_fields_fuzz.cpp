// The reading rules on any bytes: FieldReader given the bytes in pieces of any size, with
// each separator, into a small array whose elements past the capacity (the last one a
// sentinel) must come back untouched. The values read must be the ones the rules give,
// worked out the plain way (fuzz::ExpectedFields), and the reader must tell whether there
// were more than it had room for. On about one input in 16 the bytes also go through a
// real file and ReadFields, which must read them alike, with its one pause.
//
// Input: first byte = separator (";", "\n", "\n" again, "\r" or a zero byte, by its value mod 5),
// capacity (0-8) and the size of the pieces; the rest is the text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/fake/state.h"
#include "support/field_reader.h"
#include "support/text_file.h"

namespace {

constexpr std::size_t kMostValues = 8;
const char kSeparators[] = {';', '\n', '\n', '\r', '\0'};
// 0: the whole text in one piece.
constexpr std::size_t kPieceSizes[] = {0, 1, 2, 3, 7, 4096};
const char kFileName[] = "fields.txt";

std::string Untouched(std::size_t index) {
    return "\x01untouched " + std::to_string(index);
}

struct Slots {
    Slots() {
        for (std::size_t i = 0; i <= kMostValues; ++i) values[i] = Untouched(i);
    }
    // kMostValues elements the reader may be given, then the sentinel.
    std::string values[kMostValues + 1];
};

void CheckValues(const Slots& slots, const std::vector<std::string>& expected, std::size_t capacity,
                 char separatorByte) {
    const std::size_t stored = expected.size() < capacity ? expected.size() : capacity;
    for (std::size_t i = 0; i < stored; ++i) FUZZ_CHECK(slots.values[i] == expected[i]);
    for (std::size_t i = stored; i <= kMostValues; ++i) FUZZ_CHECK(slots.values[i] == Untouched(i));
    for (std::size_t i = 0; i < stored; ++i) {
        FUZZ_CHECK(slots.values[i].find(separatorByte) == std::string::npos);
        FUZZ_CHECK(slots.values[i].find('\n') == std::string::npos);
        if (separatorByte != '\0') FUZZ_CHECK(slots.values[i].find('\0') == std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separatorByte = kSeparators[data[0] % 5];
    const std::size_t capacity = (data[0] / 5) % (kMostValues + 1);
    const std::size_t pieceSize = kPieceSizes[data[0] / 45];
    const std::string text = fuzz::Bytes(data + 1, size - 1);
    const std::vector<std::string> expected = fuzz::ExpectedFields(text, separatorByte);

    Slots inMemory;
    FieldReader reader(separatorByte, inMemory.values, capacity);
    bool wantsMore = true;
    for (std::size_t at = 0; at < text.size() && wantsMore;) {
        const std::size_t piece = pieceSize == 0 ? text.size() : std::min(pieceSize, text.size() - at);
        wantsMore = reader.Take(text.data() + at, piece);
        at += piece;
    }
    CheckValues(inMemory, expected, capacity, separatorByte);
    FUZZ_CHECK(reader.Stored() == (expected.size() < capacity ? expected.size() : capacity));
    FUZZ_CHECK(reader.Overflowed() == (expected.size() > capacity));
    FUZZ_CHECK(wantsMore == !reader.Overflowed());

    if (!fuzz::OneIn(16, data, size)) return 0;
    fuzz::InPrivateFolder folder;
    fuzz::WriteFile(kFileName, text);
    Slots fromFile;
    FUZZ_CHECK(ReadFields(kFileName, separatorByte, fromFile.values, capacity));
    CheckValues(fromFile, expected, capacity, separatorByte);
    // One try on the network policy: one pause, no message.
    FUZZ_CHECK(fake::Pauses() == std::vector<int>{kNetworkPauseMs});
    FUZZ_CHECK(fake::Messages().empty());

    // A file that is not there: false, every element as it was, every try paused for.
    FUZZ_CHECK(!ReadFields("not-there.txt", separatorByte, fromFile.values, capacity));
    CheckValues(fromFile, expected, capacity, separatorByte);
    FUZZ_CHECK(fake::Pauses().size() == 1 + kNetworkTries);
    FUZZ_CHECK(fake::Messages().empty());
    return 0;
}
