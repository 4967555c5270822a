// Reading a quote post's form body back into what Vantrel put in it.
//
// The body is one line: the five header fields in a fixed order,
//     source=Vantrel20&xversion=...&rater=...&externalQuoteImportID=...&fileGenName=...
// sent exactly as they are, then the fields of the export file, each "&R<key>=<value>":
//   - line encoding (every rater but "FSC"): "&R<slot>=<text>", slot being the line's
//     place in the export file (empty lines leave gaps);
//   - record encoding (rater exactly "FSC"): "&R<G>=<N>,<O>,<F>,<value>", G the running
//     field number, N the record number, O the record's occurrence, F the value's place
//     on its line.
// Only spaces are encoded, as "%20". Everything else ("=", "+", "?", "/", "|", parentheses,
// bytes above 127) arrives as it is, and no value holds "&", so splitting on "&" is exact
// and "%20" is the only thing to undo. The bytes are in the agent's Windows code page and
// are kept as they are.
//
// Decoding never fails: whatever does not fit the format is named in `problems`, and what
// does fit is still decoded, so the receiver can keep every post and show why one is odd.
// Pure functions, no I/O.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace receiver {

// The five fields that open every post. A field that was not sent stays empty (nullopt),
// so "sent empty" and "not sent" stay apart. Values are exactly as sent.
struct FormHeader {
    std::optional<std::string> source;
    std::optional<std::string> xversion;
    std::optional<std::string> rater;
    std::optional<std::string> externalQuoteImportID;
    std::optional<std::string> fileGenName;
};

enum class FieldEncoding { Line, Record };

// "Line" or "Record", as stored and shown.
const char* EncodingName(FieldEncoding encoding);

// One field of the line encoding, "R<slot>=<text>", "%20" turned back into spaces.
struct LineField {
    std::int64_t slot = 0;
    std::string text;
};

// One field of the record encoding, "R<running>=<record>,<occurrence>,<field>,<value>",
// "%20" in the value turned back into spaces.
struct RecordField {
    std::int64_t running = 0;
    std::int64_t record = 0;
    std::int64_t occurrence = 0;
    std::int64_t field = 0;
    std::string value;
};

struct DecodedForm {
    FormHeader header;
    // Record when the rater header is exactly "FSC" (case matters), Line otherwise.
    FieldEncoding encoding = FieldEncoding::Line;
    // In the order they were sent; only one of the two is filled, as `encoding` says.
    std::vector<LineField> lineFields;
    std::vector<RecordField> recordFields;
    // What did not fit the format, one short sentence each; empty for a well-formed body.
    // At most kMaxProblems are kept, the last of them then telling how many more there were.
    std::vector<std::string> problems;

    static constexpr std::size_t kMaxProblems = 10;

    bool Malformed() const { return !problems.empty(); }
    // The problems joined by "; ", for storing and showing.
    std::string Reason() const;
};

// Splits a body into header and fields and decodes both encodings. See the top of this file.
DecodedForm DecodeForm(std::string_view body);

// Turns every "%20" back into a space and leaves everything else, other "%" included, as it is.
std::string DecodeSpaces(std::string_view text);

}  // namespace receiver
