#include "import/quote_line_buffer.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

#include "support/field_reader.h"
#include "support/text.h"
#include "support/text_file.h"

// Export files run to megabytes on one line, so every step here is one walk along the
// line: values are cut by moving an index, never by erasing from the front again and
// again, and the body is written byte by byte straight into its own string's room (see
// BodyWriter) rather than by an append for every piece.

namespace {

// What a byte of a line or value becomes in the form body.
enum ByteRole : unsigned char {
    kKept,     // itself
    kDropped,  // nothing
    kSpace,    // "%20"
    kComma,    // in a record value: nothing, or "|" in a value with both parentheses
};

struct ByteRoles {
    ByteRole of[256];
};

// In every line and value "#" and "'" go and a space becomes "%20"; in record values quotes
// go too, and commas depend on the value.
constexpr ByteRoles MakeRoles(bool recordValue) {
    ByteRoles roles{};
    roles.of[static_cast<unsigned char>('#')] = kDropped;
    roles.of[static_cast<unsigned char>('\'')] = kDropped;
    roles.of[static_cast<unsigned char>(' ')] = kSpace;
    if (recordValue) {
        roles.of[static_cast<unsigned char>('"')] = kDropped;
        roles.of[static_cast<unsigned char>(',')] = kComma;
    }
    return roles;
}
constexpr ByteRoles kLineRoles = MakeRoles(false);
constexpr ByteRoles kRecordValueRoles = MakeRoles(true);

// The most a byte of a line grows to in the body ("%20").
constexpr std::size_t kMostBytesPerByte = 3;

// The form body, written through a pointer into the string's own room: a field is a few
// bytes, and a string append for each piece of it cost more than the rest of the encoding.
// The room is opened ahead in steps, so what is zero-filled ahead of the writing is small.
class BodyWriter {
public:
    explicit BodyWriter(std::size_t expectedSize) { body_.reserve(expectedSize); }

    // Room for at least `size` bytes; write them from the pointer returned, then Advance.
    // The room opened ahead stays within what was reserved while that is enough, so a short
    // export zero-fills no more than its own body's worth.
    char* Room(std::size_t size) {
        if (body_.size() - used_ < size) {
            const std::size_t step = std::min(used_ + kStep, body_.capacity());
            body_.resize(std::max(used_ + size, step));
        }
        return &body_[used_];
    }
    void Advance(const char* end) { used_ = static_cast<std::size_t>(end - body_.data()); }

    std::string Finish() {
        body_.resize(used_);
        return std::move(body_);
    }

private:
    static constexpr std::size_t kStep = 1 << 16;
    std::string body_;
    std::size_t used_ = 0;
};

// Writes [begin, end) as the form body carries it, by `roles`; a comma becomes "|" when
// `commasAsBars`, else it goes.
void WriteBodyBytes(BodyWriter& body, const char* begin, const char* end, const ByteRoles& roles, bool commasAsBars) {
    char* at = body.Room(kMostBytesPerByte * static_cast<std::size_t>(end - begin));
    for (const char* c = begin; c != end; ++c) {
        switch (roles.of[static_cast<unsigned char>(*c)]) {
            case kKept:
                *at++ = *c;
                break;
            case kSpace:
                std::memcpy(at, "%20", 3);
                at += 3;
                break;
            case kComma:
                if (commasAsBars) *at++ = '|';
                break;
            case kDropped:
                break;
        }
    }
    body.Advance(at);
}

// "&" and "%" would break the form body; they go before a line is cut up, so a cut never
// sees them.
void RemoveAmpersandsAndPercents(std::string& line) {
    char* out = &line[0];
    for (const char c : line) {
        *out = c;
        out += c != '&' && c != '%';
    }
    line.resize(static_cast<std::size_t>(out - line.data()));
}

// A value cut from a record line, which still holds its closing quote, the separating
// comma and the next value's opening quote. Quotes go; commas go too, unless the value
// holds both "(" and ")" (a phone number, a model with its options), where they become
// "|" - the separating comma included, so such a value ends in "|" unless it is the last.
void WriteRecordValue(BodyWriter& body, const char* begin, const char* end) {
    const std::size_t size = static_cast<std::size_t>(end - begin);
    const bool parenthesised = std::memchr(begin, '(', size) != nullptr && std::memchr(begin, ')', size) != nullptr;
    WriteBodyBytes(body, begin, end, kRecordValueRoles, parenthesised);
}

// The record number in a line's key text: quotes and commas left out, then read as atoi
// reads (leading white space, a sign, digits up to the first other byte; 0 without
// digits). Beyond the range of int the number stops at the nearest end of the range, as
// the Windows C runtime's atoi does, instead of overflowing.
int RecordNumber(const char* begin, const char* end) {
    std::string key;
    for (const char* c = begin; c != end; ++c) {
        if (*c != '"' && *c != ',') key += *c;
    }
    std::size_t i = 0;
    while (i < key.size() && text::IsWhiteSpace(key[i])) ++i;
    bool negative = false;
    if (i < key.size() && (key[i] == '+' || key[i] == '-')) negative = key[i++] == '-';
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; i < key.size() && key[i] >= '0' && key[i] <= '9'; ++i) {
        magnitude = std::min(limit, magnitude * 10 + (key[i] - '0'));
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// Decimal digits, as IntToText writes them, straight into the body: a long export has
// millions of fields, and a small string for each of their numbers would cost more than
// the rest of the encoding. `at` must have room for kNumberRoom bytes.
constexpr std::size_t kNumberRoom = 11;  // "-2147483648"
char* PutNumber(char* at, int value) {
    return std::to_chars(at, at + kNumberRoom, value).ptr;
}
// "&R", a number and "=".
constexpr std::size_t kKeyRoom = 2 + kNumberRoom + 1;

// The end-of-file record "32000": its number stands in characters 2 to 6 of what is left.
// Asked once per value, so the first digit is looked at before the rest.
bool Is32000Record(const std::string& line, std::size_t from) {
    return line.size() - from >= 6 && line[from + 1] == '3' && std::memcmp(line.data() + from + 2, "2000", 4) == 0;
}

}  // namespace

ExportFileLoad QuoteLineBuffer::LoadFile() {
    loadedLines_ = 0;
    if (!FileExists(filePath)) return ExportFileLoad::kMissing;
    FieldReader reader('\n', lines, kLineCapacity);
    if (!ReadFields(filePath, reader)) return ExportFileLoad::kUnreadable;
    return Loaded(reader);
}

ExportFileLoad QuoteLineBuffer::LoadText(const std::string& text) {
    FieldReader reader('\n', lines, kLineCapacity);
    reader.Take(text);
    return Loaded(reader);
}

ExportFileLoad QuoteLineBuffer::Loaded(const FieldReader& reader) {
    loadedLines_ = static_cast<int>(reader.Stored());
    return reader.Overflowed() ? ExportFileLoad::kTooManyLines : ExportFileLoad::kLoaded;
}

void QuoteLineBuffer::ClearRecordCounters() {
    std::fill(std::begin(recordCounters), std::end(recordCounters), 0);
    otherRecordCounters_.clear();
}

// Three bytes per byte of the lines covers a line encoding full of spaces; a record body
// that outgrows it still grows as any text does.
std::size_t QuoteLineBuffer::ExpectedBodySize() const {
    std::size_t lineBytes = 0;
    for (int slot = 0; slot < loadedLines_; ++slot) lineBytes += lines[slot].size();
    return kMostBytesPerByte * lineBytes + 16 * static_cast<std::size_t>(loadedLines_);
}

int QuoteLineBuffer::CountOccurrence(int n) {
    if (n >= 0 && n < kRecordNumbers) return ++recordCounters[n];
    return ++otherRecordCounters_[n];
}

std::string QuoteLineBuffer::EncodeLoadedLines() {
    BodyWriter body(ExpectedBodySize());
    for (int slot = 0; slot < loadedLines_; ++slot) {
        std::string& line = lines[slot];
        RemoveAmpersandsAndPercents(line);
        line = text::TrimRight(std::move(line));
        if (line.empty()) continue;
        char* at = body.Room(kKeyRoom);
        std::memcpy(at, "&R", 2);
        at = PutNumber(at + 2, slot);
        *at++ = '=';
        body.Advance(at);
        WriteBodyBytes(body, line.data(), line.data() + line.size(), kLineRoles, false);
    }
    return body.Finish();
}

std::string QuoteLineBuffer::EncodeLoadedRecords() {
    BodyWriter body(ExpectedBodySize());
    int fieldNumber = 0;
    ClearRecordCounters();
    for (int slot = 0; slot < loadedLines_; ++slot) {
        std::string& line = lines[slot];
        if (Is32000Record(line, 0)) line = "32000";
        RemoveAmpersandsAndPercents(line);
        line = text::TrimRight(std::move(line));

        // The key is everything up to the first `",` and the next value's opening quote;
        // without a `",` it is the first two bytes. Every line, empty ones too, counts as
        // an occurrence of its record number.
        const std::size_t keyEnd = line.find("\",");
        std::size_t next = std::min(keyEnd == std::string::npos ? 2 : keyEnd + 3, line.size());
        const int recordNumber = RecordNumber(line.data(), line.data() + next);
        const int occurrence = CountOccurrence(recordNumber);
        // "=N,O," is the same for every field of the line.
        char recordPart[kNumberRoom * 2 + 3] = {'='};
        char* recordPartEnd = PutNumber(recordPart + 1, recordNumber);
        *recordPartEnd++ = ',';
        recordPartEnd = PutNumber(recordPartEnd, occurrence);
        *recordPartEnd++ = ',';
        const std::size_t recordPartSize = static_cast<std::size_t>(recordPartEnd - recordPart);

        std::size_t quote = line.find('"', next);
        for (int position = 1; quote != std::string::npos && !Is32000Record(line, next); ++position) {
            // A value runs to its closing quote, the comma and the next opening quote.
            const std::size_t valueEnd = std::min(quote + 3, line.size());
            // "&R<G>=N,O,<F>,"
            char* at = body.Room(kKeyRoom + recordPartSize + kNumberRoom + 1);
            std::memcpy(at, "&R", 2);
            at = PutNumber(at + 2, fieldNumber++);
            std::memcpy(at, recordPart, recordPartSize);
            at = PutNumber(at + recordPartSize, position);
            *at++ = ',';
            body.Advance(at);
            WriteRecordValue(body, line.data() + next, line.data() + valueEnd);
            next = valueEnd;
            quote = line.find('"', next);
        }
        // What the cuts left stays in the slot: one move per line, not one per value.
        line.erase(0, next);
    }
    return body.Finish();
}
