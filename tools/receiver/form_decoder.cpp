#include "form_decoder.h"

#include <array>
#include <charconv>

namespace receiver {
namespace {

constexpr std::array<const char*, 5> kHeaderNames = {"source", "xversion", "rater", "externalQuoteImportID",
                                                     "fileGenName"};

std::optional<std::string>& HeaderSlot(FormHeader& header, std::size_t index) {
    switch (index) {
        case 0:
            return header.source;
        case 1:
            return header.xversion;
        case 2:
            return header.rater;
        case 3:
            return header.externalQuoteImportID;
        default:
            return header.fileGenName;
    }
}

std::optional<std::size_t> HeaderIndex(std::string_view name) {
    for (std::size_t i = 0; i < kHeaderNames.size(); ++i) {
        if (name == kHeaderNames[i]) {
            return i;
        }
    }
    return std::nullopt;
}

// A decimal integer and nothing else. The record number may be negative (the sender reads
// it the way atoi does), so a leading "-" is allowed when `allowMinus` is set; "+" never is.
std::optional<std::int64_t> ParseInteger(std::string_view text, bool allowMinus) {
    if (text.empty() || (text[0] == '-' && !allowMinus)) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// A piece of the body as it may be quoted in a problem: short, so one long value cannot
// swamp the reason.
std::string Quote(std::string_view piece) {
    constexpr std::size_t kShown = 40;
    if (piece.size() <= kShown) {
        return "\"" + std::string(piece) + "\"";
    }
    return "\"" + std::string(piece.substr(0, kShown)) + "...\"";
}

}  // namespace

const char* EncodingName(FieldEncoding encoding) {
    return encoding == FieldEncoding::Record ? "Record" : "Line";
}

std::string DecodeSpaces(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "%20") == 0) {
            decoded += ' ';
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

FormReader::FormReader(std::string_view body) : rest_(body) {
    if (body.empty()) {
        piecesLeft_ = false;
        AddProblem("empty body");
        FinishProblems();
        return;
    }
    ReadHeader();
    encoding_ = header_.rater == std::optional<std::string>("FSC") ? FieldEncoding::Record : FieldEncoding::Line;
}

std::string FormReader::Reason() const {
    std::string reason;
    for (const auto& problem : problems_) {
        if (!reason.empty()) {
            reason += "; ";
        }
        reason += problem;
    }
    return reason;
}

// Splitting on "&" is exact (no value holds one), so a piece is what lies between two.
std::optional<std::string_view> FormReader::NextPiece() {
    if (lookahead_) {
        const auto piece = lookahead_;
        lookahead_.reset();
        return piece;
    }
    if (!piecesLeft_) {
        return std::nullopt;
    }
    ++position_;
    const std::size_t end = rest_.find('&');
    if (end == std::string_view::npos) {
        piecesLeft_ = false;
        return rest_;
    }
    const std::string_view piece = rest_.substr(0, end);
    rest_.remove_prefix(end + 1);
    return piece;
}

void FormReader::AddProblem(std::string problem) {
    ++problemCount_;
    if (problems_.size() + 1 < kMaxProblems) {
        problems_.push_back(std::move(problem));
    } else if (problemCount_ == kMaxProblems) {
        heldProblem_ = std::move(problem);
    }
}

void FormReader::FinishProblems() {
    if (problemCount_ == kMaxProblems) {
        problems_.push_back(std::move(heldProblem_));
    } else if (problemCount_ > kMaxProblems) {
        problems_.push_back("and " + std::to_string(problemCount_ - (kMaxProblems - 1)) + " more problems");
    }
    finished_ = true;
}

void FormReader::ReadHeader() {
    std::array<bool, kHeaderNames.size()> seen{};
    std::size_t lastIndex = 0;
    bool outOfOrder = false;
    while (const auto piece = NextPiece()) {
        const std::size_t equals = piece->find('=');
        const auto index = HeaderIndex(piece->substr(0, equals));
        if (!index) {
            lookahead_ = piece;  // the first field
            break;
        }
        if (seen[*index]) {
            AddProblem(std::string("header field ") + kHeaderNames[*index] + " sent twice");
            continue;
        }
        seen[*index] = true;
        if (*index < lastIndex) {
            outOfOrder = true;
        }
        lastIndex = *index;
        if (equals == std::string_view::npos) {
            AddProblem(std::string("header field ") + kHeaderNames[*index] + " has no \"=\"");
            continue;
        }
        // Sent unencoded, so kept exactly as it came.
        HeaderSlot(header_, *index) = std::string(piece->substr(equals + 1));
    }
    for (std::size_t i = 0; i < kHeaderNames.size(); ++i) {
        if (!seen[i]) {
            AddProblem(std::string("missing header field ") + kHeaderNames[i]);
        }
    }
    if (outOfOrder) {
        AddProblem("header fields not in the order source, xversion, rater, externalQuoteImportID, fileGenName");
    }
}

bool FormReader::NextBatch(std::size_t limit, FieldBatch& batch) {
    batch.lineFields.clear();
    batch.recordFields.clear();
    while (batch.lineFields.size() + batch.recordFields.size() < limit) {
        const auto piece = NextPiece();
        if (!piece) {
            if (!finished_) {
                FinishProblems();
            }
            break;
        }
        DecodeField(*piece, batch);
    }
    return !batch.lineFields.empty() || !batch.recordFields.empty();
}

// Positions count the pieces of the whole body from 1, header included, so a problem can be
// found again by counting "&". The words naming a field are only put together for a
// problem: a body can hold millions of fields.
void FormReader::DecodeField(std::string_view piece, FieldBatch& batch) {
    const auto where = [&] { return "field " + std::to_string(position_) + " " + Quote(piece); };
    if (piece.empty()) {
        AddProblem("field " + std::to_string(position_) + " is empty (\"&&\" or a trailing \"&\")");
        return;
    }
    if (piece[0] != 'R') {
        AddProblem(where() + ": does not start with R");
        return;
    }
    const std::size_t equals = piece.find('=');
    if (equals == std::string_view::npos) {
        AddProblem(where() + ": has no \"=\"");
        return;
    }
    const auto number = ParseInteger(piece.substr(1, equals - 1), false);
    if (!number) {
        AddProblem(where() + ": key is not R followed by a number");
        return;
    }
    const std::string_view value = piece.substr(equals + 1);
    if (encoding_ == FieldEncoding::Record) {
        DecodeRecordValue(*number, value, piece, batch);
    } else {
        batch.lineFields.push_back(LineField{*number, DecodeSpaces(value)});
    }
}

void FormReader::DecodeRecordValue(std::int64_t running, std::string_view value, std::string_view piece,
                                   FieldBatch& batch) {
    const auto where = [&] { return "field " + std::to_string(position_) + " " + Quote(piece); };
    // Split at the first three commas only: the value is everything after them.
    std::array<std::string_view, 3> numbers;
    std::string_view rest = value;
    for (auto& number : numbers) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            AddProblem(where() + ": not the 4 comma-separated parts <record>,<occurrence>,<field>,<value>");
            return;
        }
        number = rest.substr(0, comma);
        rest.remove_prefix(comma + 1);
    }
    const auto record = ParseInteger(numbers[0], true);
    const auto occurrence = ParseInteger(numbers[1], false);
    const auto field = ParseInteger(numbers[2], false);
    if (!record || !occurrence || !field) {
        AddProblem(where() + ": record, occurrence and field must be whole numbers");
        return;
    }
    batch.recordFields.push_back(RecordField{running, *record, *occurrence, *field, DecodeSpaces(rest)});
}

}  // namespace receiver
