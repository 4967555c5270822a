#include "import/quote_line_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "platform/fake/state.h"
#include "test_folder.h"

namespace {

class QuoteLineBufferTest : public InTestFolder {
protected:
    // Loads the export file of these bytes and encodes it; the load's finding in `load_`.
    std::string Records(const std::string& bytes) {
        Load(bytes);
        return buffer_->EncodeLoadedRecords();
    }
    std::string Lines(const std::string& bytes) {
        Load(bytes);
        return buffer_->EncodeLoadedLines();
    }
    void Load(const std::string& bytes) {
        WriteBytes("export.txt", bytes);
        buffer_->filePath = "export.txt";
        load_ = buffer_->LoadFile();
    }
    ExportFileLoad load_ = ExportFileLoad::kLoaded;
    static std::string ManyLines(int count) {
        std::string bytes;
        for (int i = 0; i < count; ++i) bytes += "\"" + std::to_string(i % 30) + "\",\"v\"\n";
        return bytes;
    }

    std::unique_ptr<QuoteLineBuffer> buffer_ = std::make_unique<QuoteLineBuffer>();
};

struct Case {
    const char* what;
    std::string bytes;
    std::string expected;
};

}  // namespace

TEST_F(QuoteLineBufferTest, RecordEncodingOfTheFiveLineExample) {
    const std::string file =
        "\"1\",\"SMITH\",\"JOHN\"\n"
        "\"2\",\"2001\",\"FORD\",\"F-150 (4X4, XLT)\"\n"
        "\"1\",\"DOE, JR\",\"(555) 123-4567\",\"O'NEIL #2\"\n"
        "\"3\",\"\",\"Y\"\n"
        "\"32000\",\"END\"\n";
    EXPECT_EQ(Records(file),
              "&R0=1,1,1,SMITH&R1=1,1,2,JOHN&R2=2,1,1,2001&R3=2,1,2,FORD&R4=2,1,3,F-150%20(4X4|%20XLT)"
              "&R5=1,2,1,DOE%20JR&R6=1,2,2,(555)%20123-4567|&R7=1,2,3,ONEIL%202&R8=3,1,1,&R9=3,1,2,Y");
}

TEST_F(QuoteLineBufferTest, LineEncodingOfTheExample) {
    EXPECT_EQ(Lines("ABC 1\n\nX&Y 50%\nO'NEIL #2  \nTAIL"), "&R0=ABC%201&R2=XY%2050&R3=ONEIL%202");
}

TEST_F(QuoteLineBufferTest, LineEncodingEdgeCases) {
    const Case cases[] = {
        {"no line feed at all", "ABC 1", ""},
        {"spaces only", "   \t\nA\n", "&R1=A"},
        {"CR LF ends a line like LF", "A B\r\nC\r\n", "&R0=A%20B&R1=C"},
        {"& and % go before the trim", "X &%\n&% \n", "&R0=X"},
        {"# and ' are not empty at the trim", "#'\n", "&R0="},
        {"nothing else is encoded", "a=b+c?/|()\"x\",\xE9\n", "&R0=a=b+c?/|()\"x\",\xE9"},
        {"keys keep the gaps of empty lines", "A\n\n\nB\n", "&R0=A&R3=B"},
    };
    for (const Case& c : cases) {
        buffer_ = std::make_unique<QuoteLineBuffer>();  // a shorter file would leave older lines in place
        EXPECT_EQ(Lines(c.bytes), c.expected) << c.what;
    }
}

TEST_F(QuoteLineBufferTest, RecordEncodingEdgeCases) {
    const Case cases[] = {
        {"no line feed at all", "\"1\",\"A\"", ""},
        {"blank lines count as record 0 and give no field", "  \n\"0\",\"X\"\n", "&R0=0,2,1,X"},
        {"& % # ' dropped, spaces sent as %20", "\"1\",\"A&B%C#D'E F\"\n", "&R0=1,1,1,ABCDE%20F"},
        {"& goes before the key is cut", "\"1\"&,\"X\"\n", "&R0=1,1,1,X"},
        {"% and white space go before the last value is cut", "\"1\",\"X\" %\t\n", "&R0=1,1,1,X"},
        {"running field number has no gaps", "\"1\",\"A\"\n\n\"2\",\"B\",\"C\"\n", "&R0=1,1,1,A&R1=2,1,1,B&R2=2,1,2,C"},
        {"( and ) turn commas into |", "\"1\",\"(A,B)\",\"C\"\n", "&R0=1,1,1,(A|B)|&R1=1,1,2,C"},
        {"the last value gets no trailing |", "\"1\",\"C\",\"(A,B)\"\n", "&R0=1,1,1,C&R1=1,1,2,(A|B)"},
        {"one parenthesis only: commas go", "\"1\",\"(A,B\",\"C\"\n", "&R0=1,1,1,(AB&R1=1,1,2,C"},
        {"a 32000 line gives nothing", "\"32000\",\"END\",\"X\"\n", ""},
        {"32000 after a value ends the line", "\"1\",\"A\",\"x32000\",\"B\"\n", "&R0=1,1,1,A"},
        {"no \", : number from the first two bytes", "12345\"X\"\n", "&R0=12,1,1,345X"},
        {"a quote inside a value ends it early", "\"1\",\"AB\"C\",\"D\"\n", "&R0=1,1,1,ABC&R1=1,1,2,D"},
        {"a key without a value", "\"5\",\n\"5\",\"Q\"\n", "&R0=5,2,1,Q"},
        {"atoi: white space, sign, digits up to a letter", "\" +7x\",\"A\"\n", "&R0=7,1,1,A"},
    };
    for (const Case& c : cases) {
        buffer_ = std::make_unique<QuoteLineBuffer>();  // a shorter file would leave older lines in place
        EXPECT_EQ(Records(c.bytes), c.expected) << c.what;
    }
}

TEST_F(QuoteLineBufferTest, RecordNumbersOutside0To29GetTheirOwnOccurrences) {
    const std::string file =
        "\"-3\",\"A\"\n\"30\",\"B\"\n\"-3\",\"C\"\n\"30\",\"D\"\n\"29\",\"E\"\n"
        "\"99999999999\",\"F\"\n\"2147483647\",\"G\"\n\"-99999999999\",\"H\"\n\"32000\"\n\"32\",\"I\"\n";
    EXPECT_EQ(Records(file),
              "&R0=-3,1,1,A&R1=30,1,1,B&R2=-3,2,1,C&R3=30,2,1,D&R4=29,1,1,E&R5=2147483647,1,1,F"
              "&R6=2147483647,2,1,G&R7=-2147483648,1,1,H&R8=32,2,1,I");  // the 32000 line counted as 32
    EXPECT_EQ(buffer_->recordCounters[29], 1);
    EXPECT_EQ(std::count(std::begin(buffer_->recordCounters) + 1, std::end(buffer_->recordCounters), 0), 28);
    EXPECT_EQ(buffer_->recordCounters[0], 0);  // only loaded lines count, and none is record 0
}

TEST_F(QuoteLineBufferTest, ASecondLoadStartsCountingAgain) {
    const std::string file = "\"1\",\"A\",\"B\"\n\"1\",\"C\"\n";
    const std::string expected = "&R0=1,1,1,A&R1=1,1,2,B&R2=1,2,1,C";
    EXPECT_EQ(Records(file), expected);
    ASSERT_EQ(buffer_->LoadFile(), ExportFileLoad::kLoaded);
    EXPECT_EQ(buffer_->EncodeLoadedRecords(), expected);
    ASSERT_EQ(buffer_->LoadFile(), ExportFileLoad::kLoaded);
    EXPECT_EQ(buffer_->EncodeLoadedLines(), "&R0=\"1\",\"A\",\"B\"&R1=\"1\",\"C\"");
}

TEST_F(QuoteLineBufferTest, LoadingLeavesSlotsPastTheLastLineAlone) {
    buffer_->lines[2] = "kept";
    WriteBytes("export.txt", "a\n\nrest");
    buffer_->filePath = "export.txt";
    EXPECT_EQ(buffer_->LoadFile(), ExportFileLoad::kLoaded);
    EXPECT_EQ(buffer_->lines[0], "a");
    EXPECT_EQ(buffer_->lines[1], "");
    EXPECT_EQ(buffer_->lines[2], "kept");
    EXPECT_EQ(buffer_->LoadedLines(), 2);
    EXPECT_EQ(buffer_->EncodeLoadedLines(), "&R0=a");  // the slot past the file is not encoded
}

// A buffer used again on a shorter file encodes that file alone, as a new buffer would:
// the slots the longer file filled are past the lines loaded.
TEST_F(QuoteLineBufferTest, EncodingAfterFewerLinesThanBeforeSeesOnlyTheNewLines) {
    const std::string longer = "\"1\",\"A\"\n\"1\",\"B\"\n\"0\",\"C\"\nD E\n\n\"1\",\"F\"\n";
    const std::string shorter = "\"1\",\"X\"\n\n";
    auto fresh = [](const std::string& bytes, bool records) {
        auto buffer = std::make_unique<QuoteLineBuffer>();
        EXPECT_EQ(buffer->LoadText(bytes), ExportFileLoad::kLoaded);
        return records ? buffer->EncodeLoadedRecords() : buffer->EncodeLoadedLines();
    };
    for (bool records : {true, false}) {
        SCOPED_TRACE(records ? "records" : "lines");
        auto encode = [&](const std::string& bytes) { return records ? Records(bytes) : Lines(bytes); };
        EXPECT_EQ(encode(longer), fresh(longer, records));
        EXPECT_EQ(buffer_->LoadedLines(), 6);
        EXPECT_EQ(encode(shorter), fresh(shorter, records));
        EXPECT_EQ(buffer_->LoadedLines(), 2);
        EXPECT_EQ(encode(""), "");
        EXPECT_EQ(buffer_->LoadedLines(), 0);
    }
    EXPECT_EQ(fresh(shorter, true), "&R0=1,1,1,X");
    // The empty second line is record 0's first occurrence; the longer file's lines are not.
    Records(longer);
    Records(shorter);
    EXPECT_EQ(buffer_->recordCounters[0], 1);
    EXPECT_EQ(buffer_->recordCounters[1], 1);
}

// The file is read in pieces, the text in memory at once; the same reader cuts both, so
// every file must load and encode as its bytes do. The files put a CR LF, a CR alone and a
// zero byte across the reader's 64 KiB pieces.
TEST_F(QuoteLineBufferTest, AFileAndItsBytesInMemoryLoadAndEncodeAlike) {
    // `bytes` from position `at` + 4 on: with 65536 - 5 a CR is the first piece's last byte.
    auto around = [](std::size_t at, const std::string& bytes) {
        std::string file(at - 1, 'x');
        file += "\"7\",\"" + bytes + "\",\"y z\"\n\"8\",\"w\"\r\n";
        return file;
    };
    std::vector<std::string> files = {
        "",
        "no line feed",
        "\"1\",\"a\"\r\n\r\n&%\n\"2\",\"b\0c\"\r\r\n tail",
        ManyLines(QuoteLineBuffer::kLineCapacity),
        ManyLines(QuoteLineBuffer::kLineCapacity + 1),
    };
    for (std::size_t at : {std::size_t{65536} - 6, std::size_t{65536} - 5, std::size_t{65536} - 4}) {
        files.push_back(around(at, "\r\n"));
        files.push_back(around(at, "\r"));
        files.push_back(around(at, std::string(1, '\0')));
    }
    for (const std::string& file : files) {
        SCOPED_TRACE(file.substr(file.size() > 40 ? file.size() - 40 : 0));
        for (bool records : {true, false}) {
            auto fromFile = std::make_unique<QuoteLineBuffer>();
            auto fromText = std::make_unique<QuoteLineBuffer>();
            WriteBytes("export.txt", file);
            fromFile->filePath = "export.txt";
            EXPECT_EQ(fromFile->LoadFile(), fromText->LoadText(file));
            ASSERT_EQ(fromFile->LoadedLines(), fromText->LoadedLines());
            EXPECT_TRUE(std::equal(fromFile->lines, fromFile->lines + fromFile->LoadedLines(), fromText->lines));
            if (records) {
                EXPECT_EQ(fromFile->EncodeLoadedRecords(), fromText->EncodeLoadedRecords());
            } else {
                EXPECT_EQ(fromFile->EncodeLoadedLines(), fromText->EncodeLoadedLines());
            }
        }
    }
    auto across = std::make_unique<QuoteLineBuffer>();
    EXPECT_EQ(across->LoadText(around(65536 - 5, "\r\n")), ExportFileLoad::kLoaded);
    EXPECT_EQ(across->LoadedLines(), 3);
    EXPECT_EQ(across->lines[0].back(), '"');  // the CR LF across the pieces ends the line
}

TEST_F(QuoteLineBufferTest, MoreLinesThanSlotsAreReported) {
    const std::string full = ManyLines(QuoteLineBuffer::kLineCapacity);
    const std::string encoded = Records(full);
    const std::string lastField = "&R4999=19,167,1,v";  // line 5000 is the 167th of record 19
    EXPECT_EQ(encoded.substr(encoded.size() - lastField.size()), lastField);
    EXPECT_EQ(load_, ExportFileLoad::kLoaded);
    EXPECT_EQ(Records(full + "\"1\",\"unread\""), encoded);  // a last line without its line feed is not read
    EXPECT_EQ(load_, ExportFileLoad::kLoaded);

    Load(full + "\"1\",\"over\"\n");
    EXPECT_EQ(load_, ExportFileLoad::kTooManyLines);
    EXPECT_EQ(buffer_->lines[QuoteLineBuffer::kLineCapacity - 1], "\"19\",\"v\"");  // line 5000 of ManyLines
    Load("short\n");
    EXPECT_EQ(load_, ExportFileLoad::kLoaded);
}

TEST_F(QuoteLineBufferTest, AMissingFileLoadsNoLineAndGivesAnEmptyFieldPart) {
    Load("a\nb\n");
    buffer_->filePath = "C:\\RATER\\missing.txt";
    EXPECT_EQ(buffer_->LoadFile(), ExportFileLoad::kMissing);
    EXPECT_EQ(buffer_->LoadedLines(), 0);
    EXPECT_EQ(buffer_->EncodeLoadedRecords(), "");
    EXPECT_EQ(buffer_->EncodeLoadedLines(), "");
    EXPECT_TRUE(fake::Messages().empty());  // telling the agent is the import's caller's
}

// The steps of the record encoding done literally, one erase from the front per cut, as a
// second opinion on the one-pass encoder over lines made of the bytes that matter.
namespace {
std::string LiteralRecordEncoding(std::vector<std::string> lines) {
    auto removeAll = [](std::string s, const std::string& chars) {
        for (char c : chars) s.erase(std::remove(s.begin(), s.end(), c), s.end());
        return s;
    };
    auto at2to6 = [](const std::string& s) {
        return s.size() >= 6 ? s.substr(1, 5) : s.substr(std::min<std::size_t>(1, s.size()));
    };
    std::map<int, int> counters;
    std::string result;
    int g = 0;
    lines.resize(QuoteLineBuffer::kLineCapacity);
    for (std::string& l : lines) {
        if (at2to6(l) == "32000") l = "32000";
        l = removeAll(l, "&%");
        while (!l.empty() && std::string(" \t\n\v\f\r").find(l.back()) != std::string::npos) l.pop_back();
        const std::size_t p = l.find("\",");
        const std::string key = removeAll(l.substr(0, p == std::string::npos ? 2 : p + 3), "\",");
        l.erase(0, p == std::string::npos ? 2 : p + 3);
        const int n = static_cast<int>(std::clamp<long long>(std::strtoll(key.c_str(), nullptr, 10), INT_MIN, INT_MAX));
        const int o = ++counters[n];
        for (int f = 1; l.find('"') != std::string::npos && at2to6(l) != "32000"; ++f, ++g) {
            std::string value = removeAll(l.substr(0, l.find('"') + 3), "\"");
            l.erase(0, l.find('"') + 3);
            const bool parens = value.find('(') != std::string::npos && value.find(')') != std::string::npos;
            std::replace(value.begin(), value.end(), ',', parens ? '|' : ',');
            value = removeAll(value, ",");
            result += "&R" + std::to_string(g) + "=" + std::to_string(n) + "," + std::to_string(o) + "," +
                      std::to_string(f) + "," + value;
        }
    }
    std::string sent;
    for (char c : removeAll(result, "#'")) sent += c == ' ' ? std::string("%20") : std::string(1, c);
    return sent;
}
}  // namespace

TEST_F(QuoteLineBufferTest, RecordEncodingAgreesWithTheLiteralStepsOnRandomLines) {
    const std::string alphabet = "\"\"\"\",,,()3200012 -+&%#'\tA";
    std::mt19937 random(20261207);
    for (int file = 0; file < 20; ++file) {
        std::vector<std::string> lines(300);
        std::string bytes;
        for (std::string& line : lines) {
            const int length = static_cast<int>(random() % 24);
            for (int i = 0; i < length; ++i) line += alphabet[random() % alphabet.size()];
            bytes += line + "\n";
        }
        ASSERT_EQ(Records(bytes), LiteralRecordEncoding(lines)) << bytes;
    }
}
