#include "import/quote_line_buffer.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <vector>

#include "platform/message_box.h"
#include "support/number_time_text.h"
#include "support/text.h"
#include "support/text_file.h"

// Export files run to megabytes on one line, so every step here is one walk along the
// line: values are cut by moving an index, never by erasing from the front again and
// again, and the clean-up of "#", "'" and spaces is done while a value is appended.

namespace {

// What a scratch slot holds until the reader fills it. A line read at line feeds can never
// hold a line feed, so this tells untouched slots from empty lines.
const char kUnread[] = "\n";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// "&" and "%" would break the form body; they go before a line is cut up, so a cut never
// sees them.
void RemoveAmpersandsAndPercents(std::string& line) {
    line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '&' || c == '%'; }), line.end());
}

// One byte of a value as the form body carries it: "#" and "'" dropped, a space as "%20".
void AppendBodyByte(std::string& body, char c) {
    if (c == '#' || c == '\'') return;
    if (c == ' ') {
        body += "%20";
    } else {
        body += c;
    }
}

// A value cut from a record line, which still holds its closing quote, the separating
// comma and the next value's opening quote. Quotes go; commas go too, unless the value
// holds both "(" and ")" (a phone number, a model with its options), where they become
// "|" - the separating comma included, so such a value ends in "|" unless it is the last.
void AppendRecordValue(std::string& body, const char* begin, const char* end) {
    const bool parenthesised = std::find(begin, end, '(') != end && std::find(begin, end, ')') != end;
    for (const char* c = begin; c != end; ++c) {
        if (*c == '"') continue;
        if (*c == ',') {
            if (parenthesised) body += '|';
            continue;
        }
        AppendBodyByte(body, *c);
    }
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
    while (i < key.size() && IsSpace(key[i])) ++i;
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
// the rest of the encoding.
void AppendNumber(std::string& body, int value) {
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    body.append(digits, static_cast<std::size_t>(end - digits));
}

// The end-of-file record "32000": its number stands in characters 2 to 6 of what is left.
bool Is32000Record(const std::string& line, std::size_t from) {
    return line.size() - from >= 6 && line.compare(from + 1, 5, "32000") == 0;
}

}  // namespace

void QuoteLineBuffer::LoadFile() {
    tooManyLines_ = false;
    if (!FileExists(filePath)) {
        platform::ShowMessage("File does not exist " + filePath);
        return;
    }
    // One slot more than we hold, so that a longer file shows itself.
    std::vector<std::string> read(kLineCapacity + 1, kUnread);
    if (!ReadFields(filePath, "\n", read.data(), read.size())) return;
    for (int k = 0; k < kLineCapacity && read[k] != kUnread; ++k) lines[k] = std::move(read[k]);
    tooManyLines_ = read[kLineCapacity] != kUnread;
}

void QuoteLineBuffer::ClearRecordCounters() {
    std::fill(std::begin(recordCounters), std::end(recordCounters), 0);
    otherRecordCounters_.clear();
}

// Three bytes per byte of the lines covers a line encoding full of spaces; a record body
// that outgrows it still grows as any text does.
void QuoteLineBuffer::ReserveBody(std::string& body) const {
    std::size_t lineBytes = 0;
    for (const std::string& line : lines) lineBytes += line.size();
    body.reserve(3 * lineBytes + 16 * kLineCapacity);
}

int QuoteLineBuffer::CountOccurrence(int n) {
    if (n >= 0 && n < kRecordNumbers) return ++recordCounters[n];
    return ++otherRecordCounters_[n];
}

std::string QuoteLineBuffer::EncodeLines() {
    std::string body;
    LoadFile();
    ReserveBody(body);
    for (int slot = 0; slot < kLineCapacity; ++slot) {
        std::string& line = lines[slot];
        RemoveAmpersandsAndPercents(line);
        line = text::TrimRight(std::move(line));
        if (line.empty()) continue;
        body += "&R";
        body += IntToText(slot);
        body += '=';
        for (char c : line) AppendBodyByte(body, c);
    }
    return body;
}

std::string QuoteLineBuffer::EncodeRecords() {
    std::string body;
    int fieldNumber = 0;
    LoadFile();
    ClearRecordCounters();
    ReserveBody(body);
    for (std::string& line : lines) {
        if (Is32000Record(line, 0)) line = "32000";
        RemoveAmpersandsAndPercents(line);
        line = text::TrimRight(std::move(line));

        // The key is everything up to the first `",` and the next value's opening quote;
        // without a `",` it is the first two bytes. Every slot, empty ones too, counts as
        // an occurrence of its record number.
        const std::size_t keyEnd = line.find("\",");
        std::size_t next = std::min(keyEnd == std::string::npos ? 2 : keyEnd + 3, line.size());
        const int recordNumber = RecordNumber(line.data(), line.data() + next);
        const int occurrence = CountOccurrence(recordNumber);
        // "=N,O," is the same for every field of the line.
        const std::string recordPart = "=" + IntToText(recordNumber) + "," + IntToText(occurrence) + ",";

        std::size_t quote = line.find('"', next);
        for (int position = 1; quote != std::string::npos && !Is32000Record(line, next); ++position) {
            // A value runs to its closing quote, the comma and the next opening quote.
            const std::size_t valueEnd = std::min(quote + 3, line.size());
            body += "&R";
            AppendNumber(body, fieldNumber++);
            body += recordPart;
            AppendNumber(body, position);
            body += ',';
            AppendRecordValue(body, line.data() + next, line.data() + valueEnd);
            next = valueEnd;
            quote = line.find('"', next);
        }
        // What the cuts left stays in the slot: one move per line, not one per value.
        line.erase(0, next);
    }
    return body;
}
