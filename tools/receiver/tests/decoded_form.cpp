#include "decoded_form.h"

namespace receiver {

DecodedForm DecodeForm(std::string_view body) {
    FormReader reader(body);
    DecodedForm form;
    form.header = reader.Header();
    form.encoding = reader.Encoding();
    FieldBatch batch;
    while (reader.NextBatch(3, batch)) {
        form.lineFields.insert(form.lineFields.end(), batch.lineFields.begin(), batch.lineFields.end());
        form.recordFields.insert(form.recordFields.end(), batch.recordFields.begin(), batch.recordFields.end());
    }
    form.problems = reader.Problems();
    form.reason = reader.Reason();
    return form;
}

}  // namespace receiver
