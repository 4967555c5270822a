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
// Decoding never fails: whatever does not fit the format is named in the problems, and what
// does fit is still decoded, so the receiver can keep every post and show why one is odd.
// No I/O.
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

// A run of decoded fields in the order they were sent. Only the vector of the form's
// encoding is filled.
struct FieldBatch {
    std::vector<LineField> lineFields;
    std::vector<RecordField> recordFields;
};

// Reads a body's header when made, then its fields a batch at a time, so that a body of
// millions of fields never has to be held decoded all at once. See the top of this file.
class FormReader {
public:
    // At most this many problems are kept, the last of them then telling how many more there were.
    static constexpr std::size_t kMaxProblems = 10;

    // `body` must outlive the reader.
    explicit FormReader(std::string_view body);

    const FormHeader& Header() const { return header_; }
    // Record when the rater header is exactly "FSC" (case matters), Line otherwise.
    FieldEncoding Encoding() const { return encoding_; }

    // Replaces what `batch` holds by the next fields that fit the format, at most `limit`
    // of them; false when the body had no field left. Pieces that do not fit are skipped
    // and named in the problems.
    bool NextBatch(std::size_t limit, FieldBatch& batch);

    // What did not fit the format, one short sentence each; complete once NextBatch has
    // returned false. Empty for a well-formed body.
    const std::vector<std::string>& Problems() const { return problems_; }
    bool Malformed() const { return !problems_.empty(); }
    // The problems joined by "; ", for storing and showing.
    std::string Reason() const;

private:
    std::optional<std::string_view> NextPiece();
    void ReadHeader();
    void AddProblem(std::string problem);
    void FinishProblems();
    void DecodeField(std::string_view piece, FieldBatch& batch);
    void DecodeRecordValue(std::int64_t running, std::string_view value, std::string_view piece, FieldBatch& batch);

    std::string_view rest_;  // the pieces not read yet
    bool piecesLeft_ = true;
    std::optional<std::string_view> lookahead_;  // a piece read but not yet used
    std::size_t position_ = 0;                   // of the last piece read, counted from 1
    FormHeader header_;
    FieldEncoding encoding_ = FieldEncoding::Line;
    std::vector<std::string> problems_;
    std::size_t problemCount_ = 0;
    std::string heldProblem_;  // the kMaxProblems-th, shown as it is if it turns out to be the last
    bool finished_ = false;
};

// Turns every "%20" back into a space and leaves everything else, other "%" included, as it is.
std::string DecodeSpaces(std::string_view text);

}  // namespace receiver
