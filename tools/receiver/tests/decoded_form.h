// A whole body decoded at once, for tests: the header, every field and every problem.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "form_decoder.h"

namespace receiver {

struct DecodedForm {
    FormHeader header;
    FieldEncoding encoding = FieldEncoding::Line;
    std::vector<LineField> lineFields;
    std::vector<RecordField> recordFields;
    std::vector<std::string> problems;
    std::string reason;

    bool Malformed() const { return !problems.empty(); }
    std::string Reason() const { return reason; }
};

// Reads the body with a FormReader to its end, three fields to a batch so that batches end
// in the middle of the body.
DecodedForm DecodeForm(std::string_view body);

}  // namespace receiver
