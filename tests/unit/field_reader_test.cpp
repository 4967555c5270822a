#include "support/field_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Read {
    std::vector<std::string> values;
    bool overflowed;
    bool operator==(const Read& other) const { return values == other.values && overflowed == other.overflowed; }
};

// Reads `text` cut into pieces at `cuts` (increasing positions), into four elements
// pre-filled with "untouched", of which the reader is given `capacity`.
Read ReadInPieces(const std::string& text, char separator, std::size_t capacity,
                  const std::vector<std::size_t>& cuts = {}) {
    std::vector<std::string> values(4, "untouched");
    FieldReader reader(separator, values.data(), capacity);
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        reader.Take(text.data() + from, cut - from);
        from = cut;
    }
    reader.Take(text.data() + from, text.size() - from);
    EXPECT_EQ(reader.Stored(),
              std::min<std::size_t>(capacity, 4 - std::count(values.begin(), values.end(), "untouched")));
    return {values, reader.Overflowed()};
}

}  // namespace

// The rules that look at a byte's neighbour (a CR before a line feed) or that only one
// separator has: each text with its values read in one piece.
TEST(FieldReaderTest, EachSeparatorReadsByTheRules) {
    const struct {
        std::string text;
        char separator;
        std::vector<std::string> values;
        bool overflowed;
    } cases[] = {
        {"a\r\nb\r\r\nc\rd\n", '\n', {"a", "b\r", "c\rd", "untouched"}, false},
        {std::string("\r\0\n", 3), '\n', {"\r", "untouched", "untouched", "untouched"}, false},
        {"a\rb\r\nc\r\rd\r", '\r', {"a", "c", "", "untouched"}, false},
        {std::string("a\0b\n\0c\0", 7), '\0', {"a", "", "c", "untouched"}, false},
        {"1;2;3;4;5;6;", ';', {"1", "2", "3", "untouched"}, true},
        {"1;2;3;", ';', {"1", "2", "3", "untouched"}, false},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE((ReadInPieces(c.text, c.separator, 3) == Read{c.values, c.overflowed})) << c.text;
    }
}

// Where the pieces are cut makes no difference: every text read at every single cut, and
// byte by byte, gives what it gives in one piece.
TEST(FieldReaderTest, PiecesReadAsTheWholeText) {
    const char separators[] = {'\n', ';', '\r'};
    const std::string texts[] = {"ab\r\ncd\r\r\ne\rf\n\r", std::string("x;\r\ny\0z;\r;\nw\r\n;", 15), "\r\n\r\n;;\n",
                                 "a\rb\r\nc\r\rd\r;e;"};
    for (const char separator : separators) {
        for (const std::string& text : texts) {
            for (std::size_t capacity : {std::size_t{1}, std::size_t{4}}) {
                const Read whole = ReadInPieces(text, separator, capacity);
                std::vector<std::size_t> everyByte;
                for (std::size_t cut = 0; cut <= text.size(); ++cut) {
                    EXPECT_TRUE(ReadInPieces(text, separator, capacity, {cut}) == whole) << text << " at " << cut;
                    everyByte.push_back(cut);
                }
                EXPECT_TRUE(ReadInPieces(text, separator, capacity, everyByte) == whole) << text;
            }
        }
    }
}
