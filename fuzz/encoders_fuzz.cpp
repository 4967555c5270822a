// Both export encoders on any export file. What must hold whatever the file:
//  - the field part is empty or starts with "&R";
//  - it holds no "#", "'" or space, and every "&" starts a field "&R";
//  - line encoding: every key is a slot number below 5000 and below the number of whole
//    lines, in increasing order, and the text is what the line rules give, worked out here
//    line by line;
//  - record encoding: the running field numbers go 0, 1, 2, ... without gaps, every field
//    has its record number, occurrence and position, positions count 1, 2, 3 along a line,
//    and a second call gives the same text;
//  - TooManyLines says whether the file had more than 5000 lines (never, with inputs kept
//    to 4 KB for speed: the limit itself is checked by the unit tests).
// The encoders run on the bytes loaded from memory, into buffers kept from input to input,
// so a shorter input after a longer one leaves slots the encoders must not see; on about
// one input in 16 the bytes also go through a real file, which must encode alike.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "import/quote_line_buffer.h"
#include "platform/fake/state.h"
#include "support/text.h"

namespace {

const char kFileName[] = "export.txt";

// The fields of a field part, each without its "&" (views into `body`: a long export has
// thousands, and a string for each would cost more than the encoding under the sanitizers).
std::vector<std::string_view> CheckedFields(const std::string& body) {
    FUZZ_CHECK(body.empty() || body.compare(0, 2, "&R") == 0);
    FUZZ_CHECK(body.find_first_of("#' ") == std::string::npos);
    std::vector<std::string_view> fields;
    for (std::size_t at = 0; at < body.size();) {
        FUZZ_CHECK(body[at] == '&' && at + 1 < body.size() && body[at + 1] == 'R');
        const std::size_t next = body.find('&', at + 1);
        fields.push_back(
            std::string_view(body).substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
        at = next == std::string::npos ? body.size() : next;
    }
    return fields;
}

// Reads an unsigned decimal number at `at` (no leading zeros unless it is "0"), up to `limit`.
bool ReadNumber(std::string_view text, std::size_t& at, long long limit, long long& number) {
    const std::size_t start = at;
    number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        number = number * 10 + (text[at++] - '0');
        if (number > limit) return false;
    }
    return at > start && (text[start] != '0' || at == start + 1);
}

bool Expect(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

std::string ExpectedLineEncoding(const std::string& file) {
    std::string body;
    std::string line;
    int slot = 0;
    for (std::size_t i = 0; i < file.size() && slot < QuoteLineBuffer::kLineCapacity; ++i) {
        const char c = file[i];
        if (c != '\n') {
            const bool crBeforeLf = c == '\r' && i + 1 < file.size() && file[i + 1] == '\n';
            if (!crBeforeLf && c != '\0' && c != '&' && c != '%') line += c;
            continue;
        }
        while (!line.empty() && text::IsWhiteSpace(line.back())) line.pop_back();
        if (!line.empty()) {
            body += "&R";
            body += std::to_string(slot);
            body += '=';
            for (char b : line) {
                if (b == ' ') {
                    body += "%20";
                } else if (b != '#' && b != '\'') {
                    body += b;
                }
            }
        }
        line.clear();
        ++slot;
    }
    return body;
}

void CheckLineEncoding(const std::string& body, const std::string& file, std::size_t wholeLines) {
    long long previous = -1;
    for (const std::string_view field : CheckedFields(body)) {
        std::size_t at = 1;
        long long slot = 0;
        FUZZ_CHECK(ReadNumber(field, at, QuoteLineBuffer::kLineCapacity - 1, slot));
        FUZZ_CHECK(Expect(field, at, '='));
        FUZZ_CHECK(slot > previous);
        FUZZ_CHECK(static_cast<std::size_t>(slot) < wholeLines);
        previous = slot;
    }
    FUZZ_CHECK(body == ExpectedLineEncoding(file));
}

void CheckRecordEncoding(const std::string& body) {
    long long expectedFieldNumber = 0;
    long long lastRecord = 0, lastOccurrence = 0, lastPosition = 0;
    for (const std::string_view field : CheckedFields(body)) {
        std::size_t at = 1;
        long long fieldNumber = 0, record = 0, occurrence = 0, position = 0;
        FUZZ_CHECK(ReadNumber(field, at, INT_MAX, fieldNumber));
        FUZZ_CHECK(fieldNumber == expectedFieldNumber++);
        FUZZ_CHECK(Expect(field, at, '='));
        const bool negative = Expect(field, at, '-');
        FUZZ_CHECK(ReadNumber(field, at, negative ? -static_cast<long long>(INT_MIN) : INT_MAX, record));
        FUZZ_CHECK(!(negative && record == 0));
        if (negative) record = -record;
        FUZZ_CHECK(Expect(field, at, ','));
        FUZZ_CHECK(ReadNumber(field, at, QuoteLineBuffer::kLineCapacity, occurrence) && occurrence >= 1);
        FUZZ_CHECK(Expect(field, at, ','));
        FUZZ_CHECK(ReadNumber(field, at, INT_MAX, position) && position >= 1);
        FUZZ_CHECK(Expect(field, at, ','));
        // A line's values are numbered on from 1; a value numbered 1 starts another line.
        if (position != 1) {
            FUZZ_CHECK(position == lastPosition + 1 && record == lastRecord && occurrence == lastOccurrence);
        }
        lastRecord = record;
        lastOccurrence = occurrence;
        lastPosition = position;
    }
}

void CheckFileEncodesAlike(const std::string& file, ExportFileLoad textLoad, const std::string& byLines,
                           const std::string& byRecords) {
    static QuoteLineBuffer* const fromFile = new QuoteLineBuffer;
    fuzz::InPrivateFolder folder;
    fuzz::WriteFile(kFileName, file);
    fromFile->filePath = kFileName;
    FUZZ_CHECK(fromFile->LoadFile() == textLoad);
    FUZZ_CHECK(fromFile->EncodeLoadedLines() == byLines);
    FUZZ_CHECK(fromFile->LoadFile() == textLoad);
    FUZZ_CHECK(fromFile->EncodeLoadedRecords() == byRecords);
    FUZZ_CHECK(fake::Messages().empty());
    for (int slot = 0; slot < fromFile->LoadedLines(); ++slot) std::string().swap(fromFile->lines[slot]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = fuzz::Bytes(data, size);
    std::size_t lineFeeds = 0;
    for (char c : file) lineFeeds += c == '\n';

    // One buffer for every input (a new one is 160 KB of fresh memory an input); its lines'
    // memory is given back at the end, which libFuzzer would otherwise take for a leak.
    static QuoteLineBuffer* const buffer = new QuoteLineBuffer;
    const ExportFileLoad load = buffer->LoadText(file);
    const int mostLoaded = buffer->LoadedLines();
    FUZZ_CHECK((load == ExportFileLoad::kTooManyLines) == (lineFeeds > QuoteLineBuffer::kLineCapacity));
    FUZZ_CHECK(static_cast<std::size_t>(buffer->LoadedLines()) ==
               std::min<std::size_t>(lineFeeds, QuoteLineBuffer::kLineCapacity));
    const std::string byLines = buffer->EncodeLoadedLines();
    CheckLineEncoding(byLines, file, lineFeeds);

    // A load of fewer lines than before: the slots past them still hold the longer load's
    // lines, which the encoding must not see.
    const std::size_t half = file.find('\n', file.size() / 2);
    if (half != std::string::npos && half + 1 < file.size()) {
        const std::string head = file.substr(0, half + 1);
        FUZZ_CHECK(buffer->LoadText(head) == ExportFileLoad::kLoaded);
        const std::size_t headLineFeeds = static_cast<std::size_t>(std::count(head.begin(), head.end(), '\n'));
        CheckLineEncoding(buffer->EncodeLoadedLines(), head, headLineFeeds);
    }

    FUZZ_CHECK(buffer->LoadText(file) == load);
    const std::string byRecords = buffer->EncodeLoadedRecords();
    CheckRecordEncoding(byRecords);
    // A second load and encoding starts again from the bytes: the same text (on every
    // fourth input).
    if (size % 4 == 0) {
        FUZZ_CHECK(buffer->LoadText(file) == load);
        FUZZ_CHECK(buffer->EncodeLoadedRecords() == byRecords);
    }

    if (fuzz::OneIn(16, data, size)) CheckFileEncodesAlike(file, load, byLines, byRecords);
    for (int slot = 0; slot < mostLoaded; ++slot) std::string().swap(buffer->lines[slot]);
    return 0;
}
