#include "pages.h"

#include <gtest/gtest.h>

#include <limits>

#include "decoded_form.h"

namespace receiver {
namespace {

Excerpt Whole(const std::string& text) {
    return Excerpt{text, static_cast<std::int64_t>(text.size())};
}

std::optional<Excerpt> WholeIfSent(const std::optional<std::string>& text) {
    return text ? std::optional<Excerpt>(Whole(*text)) : std::nullopt;
}

// An import as the store gives it for a page, made straight from a body, nothing cut.
ImportExcerpt Excerpted(const std::string& body, std::int64_t id = 3) {
    const DecodedForm form = DecodeForm(body);
    ImportExcerpt excerpt;
    excerpt.id = id;
    excerpt.receivedAt = "2026-12-07T20:56:05.123Z";
    excerpt.peer = "127.0.0.1";
    excerpt.path = Whole("/krn/import.asp");
    excerpt.contentType = Whole("application/x-www-form-urlencoded");
    excerpt.header = HeaderExcerpt{WholeIfSent(form.header.source), WholeIfSent(form.header.xversion),
                                   WholeIfSent(form.header.rater), WholeIfSent(form.header.externalQuoteImportID),
                                   WholeIfSent(form.header.fileGenName)};
    excerpt.encoding = form.encoding;
    excerpt.malformed = form.Malformed();
    excerpt.malformedReason = form.Reason();
    excerpt.body = Whole(body);
    for (const LineField& field : form.lineFields) {
        excerpt.lineFields.push_back(LineFieldExcerpt{field.slot, Whole(field.text)});
    }
    for (const RecordField& field : form.recordFields) {
        excerpt.recordFields.push_back(
            RecordFieldExcerpt{field.running, field.record, field.occurrence, field.field, Whole(field.value)});
    }
    excerpt.fieldCount = static_cast<std::int64_t>(excerpt.lineFields.size() + excerpt.recordFields.size());
    return excerpt;
}

const std::string kHostile = "<script>alert(\"x\")</script>&'";
const std::string kHostileEscaped = "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;&#39;";

TEST(Pages, EscapeHtmlReplacesTheFiveSpecialCharacters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"plain text 123", "plain text 123"},
        {"&", "&amp;"},
        {"<", "&lt;"},
        {">", "&gt;"},
        {"\"", "&quot;"},
        {"'", "&#39;"},
        {"&amp;", "&amp;amp;"},
        {"F-150 (4X4| XLT)", "F-150 (4X4| XLT)"},
        {"\xC9\xFC=+?/", "\xC9\xFC=+?/"},
        {kHostile, kHostileEscaped},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(EscapeHtml(text), expected) << text;
    }
}

TEST(Pages, EscapeQueryValueKeepsOnlyUnreservedCharacters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"202612720565", "202612720565"}, {"a-b.c_d~e", "a-b.c_d~e"}, {"a b", "a%20b"},
        {"a&b=c", "a%26b%3Dc"},           {"\"<'>", "%22%3C%27%3E"},  {"\xC9", "%C9"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(EscapeQueryValue(text), expected) << text;
    }
}

TEST(Pages, StartPageShowsTheHeaderAndTheRecordFieldsAsATable) {
    const std::string body =
        "source=Vantrel20&xversion=2.101020&rater=FSC&externalQuoteImportID=202612720565&fileGenName=202612720565.sti"
        "&R4=2,1,3,F-150%20(4X4|%20XLT)&R6=1,2,2,(555)%20123-4567|";
    const std::string page = RenderStartPage("202612720565", Excerpted(body), {}, 1);

    for (const char* part :
         {"<td>Vantrel20</td>", "<td>2.101020</td>", "<td>FSC</td>", "<td>202612720565</td>",
          "<td>202612720565.sti</td>", "<td>Record</td>", "<td>well formed</td>",
          "<th>R</th><th>record</th><th>occurrence</th><th>field</th><th>value</th>",
          "<tr><td>4</td><td>2</td><td>1</td><td>3</td><td>F-150 (4X4| XLT)</td></tr>",
          "<tr><td>6</td><td>1</td><td>2</td><td>2</td><td>(555) 123-4567|</td></tr>", "/krn/import.asp"}) {
        EXPECT_NE(page.find(part), std::string::npos) << part;
    }
}

TEST(Pages, StartPageShowsLineFieldsWithTheirSlots) {
    const std::string body =
        "source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=9&fileGenName=9.sti&R0=ABC%201&R2=XY%2050";
    const std::string page = RenderStartPage("9", Excerpted(body), {}, 1);

    EXPECT_NE(page.find("<th>slot</th><th>text</th>"), std::string::npos);
    EXPECT_NE(page.find("<tr><td>0</td><td>ABC 1</td></tr>"), std::string::npos);
    EXPECT_NE(page.find("<tr><td>2</td><td>XY 50</td></tr>"), std::string::npos);
    EXPECT_NE(page.find("<td>Line</td>"), std::string::npos);
}

TEST(Pages, EveryPostedTextIsEscapedOnTheStartPage) {
    // A value never holds "&" on the wire (it separates the fields), so the field cells are
    // tried with the other four; "&" itself is tried in the raw body and the asked-for identifier.
    const std::string value = "<script>alert(\"x\")</script>'";
    const std::string valueEscaped = "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&#39;";
    const std::string body = "source=" + value + "&xversion=2.101020&rater=QQ&externalQuoteImportID=" + value +
                             "&fileGenName=x&R0=" + value + "&Q=" + value;
    const ImportExcerpt stored = Excerpted(body);
    ASSERT_TRUE(stored.malformed);
    const std::string page = RenderStartPage(kHostile, stored, {}, 1);

    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_EQ(page.find(value), std::string::npos);
    EXPECT_NE(page.find("<tr><th>source</th><td>" + valueEscaped + "</td></tr>"), std::string::npos);
    EXPECT_NE(page.find("<tr><td>0</td><td>" + valueEscaped + "</td></tr>"), std::string::npos);
    EXPECT_NE(page.find("<title>Import " + kHostileEscaped + "</title>"), std::string::npos);
    EXPECT_NE(page.find("<pre>source=" + valueEscaped + "&amp;xversion="), std::string::npos);
    EXPECT_NE(page.find("malformed: field 7 &quot;Q=&lt;script&gt;"), std::string::npos);
}

TEST(Pages, AFieldNotSentIsShownAsNotSent) {
    const std::string page = RenderImportPage(Excerpted("source=Vantrel20&R0=A", 12));

    EXPECT_NE(page.find("<tr><th>rater</th><td class=\"absent\">not sent</td></tr>"), std::string::npos);
    EXPECT_NE(page.find("Import number 12"), std::string::npos);
    EXPECT_NE(page.find("<pre>source=Vantrel20&amp;R0=A</pre>"), std::string::npos);
}

TEST(Pages, SeveralImportsUnderOneIdentifierAreAllShownOrListed) {
    const std::string body = "source=Vantrel20&xversion=2&rater=QQ&externalQuoteImportID=5&fileGenName=5.sti";
    ImportSummary earlier;
    earlier.id = 4;
    earlier.receivedAt = "2026-12-07T20:55:00.000Z";
    const std::string page = RenderStartPage("5", Excerpted(body, 8), {earlier}, 2);

    EXPECT_NE(page.find("2 imports were sent under this identifier"), std::string::npos);
    EXPECT_LT(page.find("Import number 8"), page.find("Import number 4"));
    EXPECT_NE(page.find("<li><a href=\"/?import=4\">Import number 4</a>, received 2026-12-07T20:55:00.000Z</li>"),
              std::string::npos);
    EXPECT_EQ(page.find("more, in the list of all imports"), std::string::npos);

    EXPECT_NE(
        RenderStartPage("5", Excerpted(body, 8), {earlier}, 150).find("And 148 more, in the list of all imports."),
        std::string::npos);
}

TEST(Pages, ACutTextSaysSoAndLinksToTheRawBody) {
    ImportExcerpt excerpt =
        Excerpted("source=Vantrel20&xversion=2&rater=QQ&externalQuoteImportID=5&fileGenName=f&R0=A");
    excerpt.header.fileGenName = Excerpt{"<FFF", 300};
    excerpt.lineFields[0].text = Excerpt{"AAAA", 1000};
    excerpt.body = Excerpt{"source=", 5000};
    const std::string page = RenderImportPage(excerpt);

    const std::string note =
        "&hellip; <span class=\"cut\">(1000 bytes in all, cut here: see the <a href=\"/?import=3&amp;raw=1\">raw "
        "body</a>)</span>";
    EXPECT_NE(page.find("<tr><td>0</td><td>AAAA" + note + "</td></tr>"), std::string::npos);
    EXPECT_NE(page.find("<td>&lt;FFF&hellip; <span class=\"cut\">(300 bytes in all"), std::string::npos);
    EXPECT_NE(page.find("<pre>source=&hellip;</pre>\n<p>The first 7 bytes are shown. "
                        "<a href=\"/?import=3&amp;raw=1\">Download the raw body</a></p>"),
              std::string::npos);
}

TEST(Pages, LongFieldListsArePagedWithLinksToTheOtherPages) {
    ImportExcerpt excerpt =
        Excerpted("source=Vantrel20&xversion=2&rater=QQ&externalQuoteImportID=5&fileGenName=f&R0=A");
    excerpt.fieldCount = 1234;
    excerpt.firstField = 500;
    excerpt.lineFields.assign(500, LineFieldExcerpt{7, Whole("X")});
    const std::string middle = RenderImportPage(excerpt);

    EXPECT_NE(middle.find("<p>Fields 501 to 1000 of 1234, page 2 of 3. <a href=\"/?import=3&amp;page=1\">first "
                          "page</a> <a href=\"/?import=3&amp;page=1\">previous page</a> "
                          "<a href=\"/?import=3&amp;page=3\">next page</a></p>"),
              std::string::npos);

    excerpt.firstField = 1000;
    excerpt.lineFields.resize(234);
    const std::string last = RenderImportPage(excerpt);
    EXPECT_NE(last.find("Fields 1001 to 1234 of 1234, page 3 of 3."), std::string::npos);
    EXPECT_EQ(last.find("next page"), std::string::npos);

    excerpt.firstField = 5000;
    excerpt.lineFields.clear();
    EXPECT_NE(RenderImportPage(excerpt).find("No fields on page 11."), std::string::npos);

    EXPECT_EQ(RenderImportPage(Excerpted("source=Vantrel20&R0=A")).find("next page"), std::string::npos);
}

TEST(Pages, PageLimitsReadOnePageOfFields) {
    EXPECT_EQ(PageLimits(1).firstField, 0);
    EXPECT_EQ(PageLimits(3).firstField, 1000);
    EXPECT_EQ(PageLimits(0).firstField, 0);
    EXPECT_EQ(PageLimits(-4).firstField, 0);
    // A page number from the address that would overflow a position.
    const auto far = PageLimits(std::numeric_limits<std::int64_t>::max());
    EXPECT_GT(far.firstField, 0);
    EXPECT_EQ(far.firstField % static_cast<std::int64_t>(kFieldsPerPage), 0);
    EXPECT_EQ(PageLimits(2).fieldCount, kFieldsPerPage);
    EXPECT_EQ(PageLimits(2).textBytes, kTextShown);
    EXPECT_EQ(PageLimits(2).bodyBytes, kBodyShown);
}

TEST(Pages, UnknownAndNotFoundPagesNameWhatWasAskedForEscaped) {
    EXPECT_NE(RenderUnknownImportPage("<1>").find("No import was posted with externalQuoteImportID <code>&lt;1&gt;"),
              std::string::npos);
    EXPECT_NE(RenderUnknownRowPage("x'").find("No import is stored under number <code>x&#39;"), std::string::npos);
    EXPECT_NE(RenderNotFoundPage("/a\"b").find("<code>/a&quot;b</code>"), std::string::npos);
}

TEST(Pages, IndexListsImportsInTheGivenOrderWithLinks) {
    ImportSummary newer;
    newer.id = 2;
    newer.receivedAt = "2026-12-07T20:57:00.000Z";
    newer.header.externalQuoteImportID = Whole("a b&c");
    newer.header.rater = Whole("QQ");
    newer.malformed = true;
    newer.malformedReason = "missing header field <x>";
    ImportSummary older;
    older.id = 1;
    older.receivedAt = "2026-12-07T20:56:00.000Z";
    older.header.externalQuoteImportID = Whole("202612720565");
    older.header.rater = Whole("FSC");
    older.fieldCount = 10;
    const std::string page = RenderIndexPage({newer, older}, 5);

    EXPECT_NE(page.find("<a href=\"/?externalQuoteImportID=a%20b%26c\">a b&amp;c</a>"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"/?externalQuoteImportID=202612720565\">202612720565</a>"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"/?import=2\">2</a>"), std::string::npos);
    EXPECT_LT(page.find("20:57:00"), page.find("20:56:00"));
    EXPECT_NE(page.find("malformed: missing header field &lt;x&gt;"), std::string::npos);
    EXPECT_NE(page.find("5 stored, the newest 2 shown"), std::string::npos);

    // A cut identifier names no start page.
    older.header.externalQuoteImportID = Excerpt{"2026", 12};
    const std::string cut = RenderIndexPage({older}, 1);
    EXPECT_EQ(cut.find("externalQuoteImportID=2026"), std::string::npos);
    EXPECT_NE(cut.find("<td>2026&hellip; <span class=\"cut\">(12 bytes in all"), std::string::npos);
}

TEST(Pages, IndexWithoutImportsSaysSo) {
    EXPECT_NE(RenderIndexPage({}, 0).find("No import has arrived yet."), std::string::npos);
}

}  // namespace
}  // namespace receiver
