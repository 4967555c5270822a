#include "form_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoded_form.h"

namespace receiver {

bool operator==(const LineField& a, const LineField& b) {
    return a.slot == b.slot && a.text == b.text;
}
bool operator==(const RecordField& a, const RecordField& b) {
    return a.running == b.running && a.record == b.record && a.occurrence == b.occurrence && a.field == b.field &&
           a.value == b.value;
}
void PrintTo(const LineField& f, std::ostream* out) {
    *out << "{" << f.slot << ", \"" << f.text << "\"}";
}
void PrintTo(const RecordField& f, std::ostream* out) {
    *out << "{" << f.running << ", " << f.record << ", " << f.occurrence << ", " << f.field << ", \"" << f.value
         << "\"}";
}

namespace {

std::string Header(const std::string& rater) {
    return "source=Vantrel20&xversion=2.101020&rater=" + rater +
           "&externalQuoteImportID=202612720565&fileGenName=202612720565.sti";
}

// The field part Vantrel makes of a five-line FSC export (SMITH JOHN / a FORD / DOE JR ... / "3","","Y" / 32000).
const std::string kRecordFieldPart =
    "&R0=1,1,1,SMITH&R1=1,1,2,JOHN&R2=2,1,1,2001&R3=2,1,2,FORD&R4=2,1,3,F-150%20(4X4|%20XLT)&R5=1,2,1,DOE%20JR"
    "&R6=1,2,2,(555)%20123-4567|&R7=1,2,3,ONEIL%202&R8=3,1,1,&R9=3,1,2,Y";

// The field part of a line export: "ABC 1", an empty line, "X&Y 50%", "O'NEIL #2  ".
const std::string kLineFieldPart = "&R0=ABC%201&R2=XY%2050&R3=ONEIL%202";

TEST(FormDecoder, RecordEncodingOfAnFscExportDecodesToItsFields) {
    const DecodedForm form = DecodeForm(Header("FSC") + kRecordFieldPart);

    EXPECT_FALSE(form.Malformed()) << form.Reason();
    EXPECT_EQ(form.encoding, FieldEncoding::Record);
    EXPECT_TRUE(form.lineFields.empty());
    const std::vector<RecordField> expected = {
        {0, 1, 1, 1, "SMITH"},
        {1, 1, 1, 2, "JOHN"},
        {2, 2, 1, 1, "2001"},
        {3, 2, 1, 2, "FORD"},
        {4, 2, 1, 3, "F-150 (4X4| XLT)"},
        {5, 1, 2, 1, "DOE JR"},
        {6, 1, 2, 2, "(555) 123-4567|"},
        {7, 1, 2, 3, "ONEIL 2"},
        {8, 3, 1, 1, ""},
        {9, 3, 1, 2, "Y"},
    };
    EXPECT_EQ(form.recordFields, expected);
}

TEST(FormDecoder, LineEncodingOfAQqExportDecodesToItsFieldsWithTheirSlots) {
    const DecodedForm form = DecodeForm(Header("QQ") + kLineFieldPart);

    EXPECT_FALSE(form.Malformed()) << form.Reason();
    EXPECT_EQ(form.encoding, FieldEncoding::Line);
    EXPECT_TRUE(form.recordFields.empty());
    const std::vector<LineField> expected = {{0, "ABC 1"}, {2, "XY 50"}, {3, "ONEIL 2"}};
    EXPECT_EQ(form.lineFields, expected);
}

TEST(FormDecoder, HeaderFieldsAreKeptExactlyAsSent) {
    const DecodedForm form = DecodeForm(Header("QQ") + kLineFieldPart);

    EXPECT_EQ(form.header.source, "Vantrel20");
    EXPECT_EQ(form.header.xversion, "2.101020");
    EXPECT_EQ(form.header.rater, "QQ");
    EXPECT_EQ(form.header.externalQuoteImportID, "202612720565");
    EXPECT_EQ(form.header.fileGenName, "202612720565.sti");
}

TEST(FormDecoder, OnlyTheExactRaterFscChoosesTheRecordEncoding) {
    struct Case {
        std::string rater;
        FieldEncoding encoding;
    };
    const std::vector<Case> cases = {{"FSC", FieldEncoding::Record}, {"fsc", FieldEncoding::Line},
                                     {"FSC ", FieldEncoding::Line},  {"ITC", FieldEncoding::Line},
                                     {"LOG", FieldEncoding::Line},   {"", FieldEncoding::Line}};
    for (const Case& c : cases) {
        const DecodedForm form = DecodeForm(Header(c.rater) + "&R0=1,1,1,SMITH");
        EXPECT_EQ(form.encoding, c.encoding) << "rater \"" << c.rater << "\"";
        EXPECT_FALSE(form.Malformed()) << c.rater << ": " << form.Reason();
    }
    // Read as the line encoding, the record text is simply the line's text.
    const DecodedForm lower = DecodeForm(Header("fsc") + "&R0=1,1,1,SMITH");
    ASSERT_EQ(lower.lineFields.size(), 1u);
    EXPECT_EQ(lower.lineFields[0].text, "1,1,1,SMITH");
}

TEST(FormDecoder, AnEmptyExportIsTheHeaderAloneAndWellFormed) {
    const DecodedForm form = DecodeForm(Header("FSC"));

    EXPECT_FALSE(form.Malformed()) << form.Reason();
    EXPECT_TRUE(form.recordFields.empty());
    EXPECT_EQ(form.header.fileGenName, "202612720565.sti");
}

TEST(FormDecoder, CharactersSentAsTheyAreStayInTheValues) {
    const std::string odd = "A=B+C?D/E|(F)\xC9\xFC";
    const DecodedForm line = DecodeForm(Header("QQ") + "&R7=" + odd + "%20end");
    ASSERT_EQ(line.lineFields.size(), 1u);
    EXPECT_EQ(line.lineFields[0].text, odd + " end");

    const DecodedForm record = DecodeForm(Header("FSC") + "&R0=4,1,1," + odd);
    ASSERT_EQ(record.recordFields.size(), 1u);
    EXPECT_EQ(record.recordFields[0].value, odd);
}

TEST(FormDecoder, NegativeRecordNumbersAreKept) {
    const DecodedForm form = DecodeForm(Header("FSC") + "&R0=-3,1,1,X");

    EXPECT_FALSE(form.Malformed()) << form.Reason();
    ASSERT_EQ(form.recordFields.size(), 1u);
    EXPECT_EQ(form.recordFields[0].record, -3);
}

TEST(FormDecoder, DecodeSpacesUndoesOnlyPercentTwenty) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},         {"%20", " "},         {"a%20%20b", "a  b"}, {"%2", "%2"},       {"%2%20", "%2 "},
        {"100%", "100%"}, {"%21%41", "%21%41"}, {"%%20", "% "},       {"plain", "plain"},
    };
    for (const auto& [sent, expected] : cases) {
        EXPECT_EQ(DecodeSpaces(sent), expected) << "\"" << sent << "\"";
    }
}

struct MalformedCase {
    const char* name;
    std::string body;
    std::string reasonPart;
};

void PrintTo(const MalformedCase& c, std::ostream* out) {
    *out << c.name;
}

class MalformedBody : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedBody, IsFlaggedWithItsReason) {
    const DecodedForm form = DecodeForm(GetParam().body);

    EXPECT_TRUE(form.Malformed());
    EXPECT_NE(form.Reason().find(GetParam().reasonPart), std::string::npos) << form.Reason();
}

const std::string kNoRater =
    "source=Vantrel20&xversion=2.101020&externalQuoteImportID=202612720565&fileGenName=202612720565.sti";

INSTANTIATE_TEST_SUITE_P(
    FormDecoder, MalformedBody,
    testing::Values(
        MalformedCase{"EmptyBody", "", "empty body"},
        MalformedCase{"MissingRater", kNoRater + "&R0=A", "missing header field rater"},
        MalformedCase{"NoHeaderAtAll", "R0=A&R1=B", "missing header field source"},
        MalformedCase{"FieldNotStartingWithR", Header("QQ") + "&X5=abc", "field 6 \"X5=abc\": does not start with R"},
        MalformedCase{"LowerCaseR", Header("QQ") + "&r0=abc", "does not start with R"},
        MalformedCase{"FieldWithoutEquals", Header("QQ") + "&R5", "has no \"=\""},
        MalformedCase{"KeyWithoutNumber", Header("QQ") + "&R=abc", "key is not R followed by a number"},
        MalformedCase{"KeyWithLetters", Header("QQ") + "&R1x=abc", "key is not R followed by a number"},
        MalformedCase{"TrailingAmpersand", Header("QQ") + "&R0=A&", "field 7 is empty"},
        MalformedCase{"DoubleAmpersand", Header("QQ") + "&&R0=A", "field 6 is empty"},
        MalformedCase{"FscFieldWithThreeParts", Header("FSC") + "&R0=1,1,SMITH", "not the 4 comma-separated parts"},
        MalformedCase{"FscFieldWithOnePart", Header("FSC") + "&R0=SMITH", "not the 4 comma-separated parts"},
        MalformedCase{"FscRecordNotANumber", Header("FSC") + "&R0=a,1,1,X", "must be whole numbers"},
        MalformedCase{"FscOccurrenceEmpty", Header("FSC") + "&R0=1,,1,X", "must be whole numbers"},
        MalformedCase{"FscFieldNegative", Header("FSC") + "&R0=1,1,-1,X", "must be whole numbers"},
        MalformedCase{"HeaderRepeatedAfterHeader", Header("QQ") + "&rater=QQ&R0=A", "header field rater sent twice"},
        MalformedCase{"HeaderAmongFields", Header("QQ") + "&R0=A&rater=QQ",
                      "field 7 \"rater=QQ\": does not start with R"},
        MalformedCase{"HeaderRepeatedInHeader",
                      "source=a&source=b&xversion=1&rater=QQ&externalQuoteImportID=1&fileGenName=f",
                      "header field source sent twice"},
        MalformedCase{"HeaderWithoutEquals", "source&xversion=1&rater=QQ&externalQuoteImportID=1&fileGenName=f",
                      "header field source has no \"=\""},
        MalformedCase{"HeaderOutOfOrder", "xversion=1&source=Vantrel20&rater=QQ&externalQuoteImportID=1&fileGenName=f",
                      "not in the order"}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(FormDecoder, WellFormedFieldsOfAMalformedBodyAreStillDecoded) {
    const DecodedForm form = DecodeForm(kNoRater + "&R0=ABC%201&Q1=x&R2=XY");

    EXPECT_TRUE(form.Malformed());
    EXPECT_FALSE(form.header.rater.has_value());
    EXPECT_EQ(form.header.externalQuoteImportID, "202612720565");
    const std::vector<LineField> expected = {{0, "ABC 1"}, {2, "XY"}};
    EXPECT_EQ(form.lineFields, expected);
    EXPECT_EQ(form.problems.size(), 2u) << form.Reason();
}

TEST(FormDecoder, AnEmptyHeaderValueIsSentEmptyNotMissing) {
    const DecodedForm form =
        DecodeForm("source=Vantrel20&xversion=&rater=QQ&externalQuoteImportID=1&fileGenName=f&R0=A");

    EXPECT_FALSE(form.Malformed()) << form.Reason();
    EXPECT_EQ(form.header.xversion, "");
}

TEST(FormDecoder, ManyProblemsAreCutToAShortReason) {
    struct Case {
        int badFields;
        std::size_t kept;
        std::string last;
    };
    const std::vector<Case> cases = {
        {9, 9, "field 14 \"X8=1\": does not start with R"},
        {10, 10, "field 15 \"X9=1\": does not start with R"},
        {50, 10, "and 41 more problems"},
    };
    for (const Case& c : cases) {
        std::string body = Header("QQ");
        for (int i = 0; i < c.badFields; ++i) {
            body += "&X" + std::to_string(i) + "=1";
        }
        const DecodedForm form = DecodeForm(body);
        ASSERT_EQ(form.problems.size(), c.kept) << c.badFields;
        EXPECT_EQ(form.problems.back(), c.last) << c.badFields;
    }
}

TEST(FormDecoder, FieldsComeInBatchesInTheOrderSentAndProblemsAreCompleteAtTheEnd) {
    std::string body = Header("QQ");
    for (int slot = 0; slot < 10; ++slot) {
        body += "&R" + std::to_string(slot) + "=" + std::to_string(slot);
    }
    body += "&X=last";
    FormReader reader(body);
    FieldBatch batch;
    std::vector<std::size_t> sizes;
    std::vector<bool> malformedSoFar;
    std::vector<LineField> fields;
    while (reader.NextBatch(4, batch)) {
        EXPECT_TRUE(batch.recordFields.empty());
        sizes.push_back(batch.lineFields.size());
        malformedSoFar.push_back(reader.Malformed());
        fields.insert(fields.end(), batch.lineFields.begin(), batch.lineFields.end());
    }

    EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 4, 2}));
    EXPECT_EQ(malformedSoFar, (std::vector<bool>{false, false, true}));
    ASSERT_EQ(fields.size(), 10u);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i], (LineField{static_cast<std::int64_t>(i), std::to_string(i)}));
    }
    EXPECT_EQ(reader.Reason(), "field 16 \"X=last\": does not start with R");
    EXPECT_FALSE(reader.NextBatch(4, batch));
    EXPECT_TRUE(batch.lineFields.empty());
}

TEST(FormDecoder, LongFieldsAreQuotedShortInTheReason) {
    const DecodedForm form = DecodeForm(Header("QQ") + "&X=" + std::string(500, 'y'));

    ASSERT_TRUE(form.Malformed());
    EXPECT_LT(form.Reason().size(), 100u) << form.Reason();
    EXPECT_NE(form.Reason().find("...\""), std::string::npos);
}

}  // namespace
}  // namespace receiver
