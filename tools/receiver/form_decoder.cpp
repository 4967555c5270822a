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

std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
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

class ProblemList {
public:
    explicit ProblemList(std::vector<std::string>& problems) : problems_(problems) {}

    void Add(std::string problem) {
        ++count_;
        if (problems_.size() + 1 < DecodedForm::kMaxProblems) {
            problems_.push_back(std::move(problem));
        } else if (count_ == DecodedForm::kMaxProblems) {
            held_ = std::move(problem);  // shown as is if it turns out to be the last one
        }
    }

    void Finish() {
        if (count_ == DecodedForm::kMaxProblems) {
            problems_.push_back(std::move(held_));
        } else if (count_ > DecodedForm::kMaxProblems) {
            problems_.push_back("and " + std::to_string(count_ - (DecodedForm::kMaxProblems - 1)) + " more problems");
        }
    }

private:
    std::vector<std::string>& problems_;
    std::size_t count_ = 0;
    std::string held_;
};

// Reads the leading header pieces; returns how many pieces they took.
std::size_t DecodeHeader(const std::vector<std::string_view>& pieces, FormHeader& header, ProblemList& problems) {
    std::array<bool, kHeaderNames.size()> seen{};
    std::size_t lastIndex = 0;
    bool outOfOrder = false;
    std::size_t taken = 0;
    for (; taken < pieces.size(); ++taken) {
        const std::string_view piece = pieces[taken];
        const std::size_t equals = piece.find('=');
        const auto index = HeaderIndex(piece.substr(0, equals));
        if (!index) {
            break;
        }
        if (seen[*index]) {
            problems.Add(std::string("header field ") + kHeaderNames[*index] + " sent twice");
            continue;
        }
        seen[*index] = true;
        if (*index < lastIndex) {
            outOfOrder = true;
        }
        lastIndex = *index;
        if (equals == std::string_view::npos) {
            problems.Add(std::string("header field ") + kHeaderNames[*index] + " has no \"=\"");
            continue;
        }
        // Sent unencoded, so kept exactly as it came.
        HeaderSlot(header, *index) = std::string(piece.substr(equals + 1));
    }
    for (std::size_t i = 0; i < kHeaderNames.size(); ++i) {
        if (!seen[i]) {
            problems.Add(std::string("missing header field ") + kHeaderNames[i]);
        }
    }
    if (outOfOrder) {
        problems.Add("header fields not in the order source, xversion, rater, externalQuoteImportID, fileGenName");
    }
    return taken;
}

void DecodeRecordValue(std::int64_t running, std::string_view value, std::string_view piece, std::size_t position,
                       DecodedForm& form, ProblemList& problems) {
    const std::string where = "field " + std::to_string(position) + " " + Quote(piece);
    // Split at the first three commas only: the value is everything after them.
    std::array<std::string_view, 3> numbers;
    std::string_view rest = value;
    for (auto& number : numbers) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            problems.Add(where + ": not the 4 comma-separated parts <record>,<occurrence>,<field>,<value>");
            return;
        }
        number = rest.substr(0, comma);
        rest.remove_prefix(comma + 1);
    }
    const auto record = ParseInteger(numbers[0], true);
    const auto occurrence = ParseInteger(numbers[1], false);
    const auto field = ParseInteger(numbers[2], false);
    if (!record || !occurrence || !field) {
        problems.Add(where + ": record, occurrence and field must be whole numbers");
        return;
    }
    form.recordFields.push_back(RecordField{running, *record, *occurrence, *field, DecodeSpaces(rest)});
}

void DecodeField(std::string_view piece, std::size_t position, DecodedForm& form, ProblemList& problems) {
    const std::string where = "field " + std::to_string(position) + " " + Quote(piece);
    if (piece.empty()) {
        problems.Add("field " + std::to_string(position) + " is empty (\"&&\" or a trailing \"&\")");
        return;
    }
    if (piece[0] != 'R') {
        problems.Add(where + ": does not start with R");
        return;
    }
    const std::size_t equals = piece.find('=');
    if (equals == std::string_view::npos) {
        problems.Add(where + ": has no \"=\"");
        return;
    }
    const auto number = ParseInteger(piece.substr(1, equals - 1), false);
    if (!number) {
        problems.Add(where + ": key is not R followed by a number");
        return;
    }
    const std::string_view value = piece.substr(equals + 1);
    if (form.encoding == FieldEncoding::Record) {
        DecodeRecordValue(*number, value, piece, position, form, problems);
    } else {
        form.lineFields.push_back(LineField{*number, DecodeSpaces(value)});
    }
}

}  // namespace

const char* EncodingName(FieldEncoding encoding) {
    return encoding == FieldEncoding::Record ? "Record" : "Line";
}

std::string DecodedForm::Reason() const {
    std::string reason;
    for (const auto& problem : problems) {
        if (!reason.empty()) {
            reason += "; ";
        }
        reason += problem;
    }
    return reason;
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

DecodedForm DecodeForm(std::string_view body) {
    DecodedForm form;
    ProblemList problems(form.problems);
    if (body.empty()) {
        problems.Add("empty body");
        problems.Finish();
        return form;
    }
    const auto pieces = SplitOn(body, '&');
    const std::size_t headerPieces = DecodeHeader(pieces, form.header, problems);
    form.encoding =
        form.header.rater == std::optional<std::string>("FSC") ? FieldEncoding::Record : FieldEncoding::Line;
    for (std::size_t i = headerPieces; i < pieces.size(); ++i) {
        // Positions count the pieces of the whole body from 1, header included, so a
        // problem can be found again by counting "&".
        DecodeField(pieces[i], i + 1, form, problems);
    }
    problems.Finish();
    return form;
}

}  // namespace receiver
