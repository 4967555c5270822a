#include "pages.h"

#include <algorithm>
#include <limits>

namespace receiver {
namespace {

const char* const kStyle =
    "body{font-family:sans-serif;margin:1.5em}"
    "table{border-collapse:collapse;margin:.5em 0 1em}"
    "th,td{border:1px solid #999;padding:.2em .6em;text-align:left;vertical-align:top}"
    "th{background:#c8e1e1}"
    "pre{white-space:pre-wrap;word-break:break-all;background:#f4f4f4;padding:.5em}"
    ".malformed{color:#a00;font-weight:bold}"
    ".cut{color:#666;font-style:italic}"
    ".absent{color:#888;font-style:italic}";

std::string PageStart(const std::string& title) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\"><title>" + EscapeHtml(title) +
           "</title><style>" + kStyle + "</style></head><body>\n<h1>" + EscapeHtml(title) + "</h1>\n";
}

std::string PageEnd() {
    return "<p><a href=\"/\">All imports</a></p>\n</body></html>\n";
}

// A stored text, escaped; when it was cut, a note saying so with a link to the whole raw
// body, where it can be found.
std::string ExcerptHtml(const Excerpt& excerpt, std::int64_t id) {
    std::string html = EscapeHtml(excerpt.text);
    if (excerpt.Cut()) {
        html += "&hellip; <span class=\"cut\">(" + std::to_string(excerpt.bytes) +
                " bytes in all, cut here: see the <a href=\"" + EscapeHtml(RawBodyLink(id)) + "\">raw body</a>)</span>";
    }
    return html;
}

// A header value, or a visible note that the field was not sent at all.
std::string HeaderCell(const std::optional<Excerpt>& value, std::int64_t id) {
    return value ? "<td>" + ExcerptHtml(*value, id) + "</td>" : "<td class=\"absent\">not sent</td>";
}

std::string Row(const std::string& name, const std::string& cell) {
    return "<tr><th>" + EscapeHtml(name) + "</th>" + cell + "</tr>\n";
}

std::string Cell(std::string_view text) {
    return "<td>" + EscapeHtml(text) + "</td>";
}

std::string Cell(const Excerpt& text, std::int64_t id) {
    return "<td>" + ExcerptHtml(text, id) + "</td>";
}

std::string StatusCell(bool malformed, const std::string& reason) {
    return malformed ? "<td class=\"malformed\">malformed: " + EscapeHtml(reason) + "</td>"
                     : std::string("<td>well formed</td>");
}

std::string HeaderTable(const ImportExcerpt& excerpt) {
    const HeaderExcerpt& header = excerpt.header;
    const std::int64_t id = excerpt.id;
    std::string html = "<table>\n";
    html += Row("source", HeaderCell(header.source, id));
    html += Row("xversion", HeaderCell(header.xversion, id));
    html += Row("rater", HeaderCell(header.rater, id));
    html += Row("externalQuoteImportID", HeaderCell(header.externalQuoteImportID, id));
    html += Row("fileGenName", HeaderCell(header.fileGenName, id));
    html += Row("received (UTC)", Cell(excerpt.receivedAt));
    html += Row("posted to", Cell(excerpt.path, id));
    html += Row("from", Cell(excerpt.peer));
    html += Row("content type", Cell(excerpt.contentType, id));
    html += Row("encoding", Cell(EncodingName(excerpt.encoding)));
    html += Row("status", StatusCell(excerpt.malformed, excerpt.malformedReason));
    return html + "</table>\n";
}

// Which fields of how many this page shows, and links to the pages before and after.
std::string FieldPager(const ImportExcerpt& excerpt, std::size_t shown) {
    const auto perPage = static_cast<std::int64_t>(kFieldsPerPage);
    if (excerpt.fieldCount <= perPage && excerpt.firstField == 0) {
        return "";
    }
    const std::int64_t page = excerpt.firstField / perPage + 1;
    std::string html = "<p>";
    if (shown == 0) {
        html += "No fields on page " + std::to_string(page) + ".";
    } else {
        html += "Fields " + std::to_string(excerpt.firstField + 1) + " to " +
                std::to_string(excerpt.firstField + static_cast<std::int64_t>(shown)) + " of " +
                std::to_string(excerpt.fieldCount) + ", page " + std::to_string(page) + " of " +
                std::to_string((excerpt.fieldCount + perPage - 1) / perPage) + ".";
    }
    if (page > 1) {
        html += " <a href=\"" + EscapeHtml(FieldsPageLink(excerpt.id, 1)) + "\">first page</a>";
        html += " <a href=\"" + EscapeHtml(FieldsPageLink(excerpt.id, page - 1)) + "\">previous page</a>";
    }
    if (excerpt.firstField + static_cast<std::int64_t>(shown) < excerpt.fieldCount) {
        html += " <a href=\"" + EscapeHtml(FieldsPageLink(excerpt.id, page + 1)) + "\">next page</a>";
    }
    return html + "</p>\n";
}

std::string FieldTable(const ImportExcerpt& excerpt) {
    const std::int64_t id = excerpt.id;
    std::string html = "<h3>Fields (" + std::to_string(excerpt.fieldCount) + ")</h3>\n";
    if (excerpt.encoding == FieldEncoding::Record) {
        html += FieldPager(excerpt, excerpt.recordFields.size());
        html += "<table>\n<tr><th>R</th><th>record</th><th>occurrence</th><th>field</th><th>value</th></tr>\n";
        for (const RecordFieldExcerpt& field : excerpt.recordFields) {
            html += "<tr>" + Cell(std::to_string(field.running)) + Cell(std::to_string(field.record)) +
                    Cell(std::to_string(field.occurrence)) + Cell(std::to_string(field.field)) + Cell(field.value, id) +
                    "</tr>\n";
        }
    } else {
        html += FieldPager(excerpt, excerpt.lineFields.size());
        html += "<table>\n<tr><th>slot</th><th>text</th></tr>\n";
        for (const LineFieldExcerpt& field : excerpt.lineFields) {
            html += "<tr>" + Cell(std::to_string(field.slot)) + Cell(field.text, id) + "</tr>\n";
        }
    }
    return html + "</table>\n";
}

std::string RawBody(const ImportExcerpt& excerpt) {
    std::string html = "<h3>Raw body (" + std::to_string(excerpt.body.bytes) + " bytes)</h3>\n<pre>" +
                       EscapeHtml(excerpt.body.text) + (excerpt.body.Cut() ? "&hellip;" : "") + "</pre>\n<p>";
    if (excerpt.body.Cut()) {
        html += "The first " + std::to_string(excerpt.body.text.size()) + " bytes are shown. ";
    }
    return html + "<a href=\"" + EscapeHtml(RawBodyLink(excerpt.id)) + "\">Download the raw body</a></p>\n";
}

std::string ImportSection(const ImportExcerpt& excerpt) {
    return "<h2>Import number " + std::to_string(excerpt.id) + "</h2>\n" + HeaderTable(excerpt) + FieldTable(excerpt) +
           RawBody(excerpt);
}

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string EscapeQueryValue(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (Unreserved(byte)) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        }
    }
    return escaped;
}

ExcerptLimits PageLimits(std::int64_t page) {
    // The page number comes from the address, so it can be anything; no import has more fields
    // than a 64-bit position can count, so the last page that can be asked for is that far.
    const auto perPage = static_cast<std::int64_t>(kFieldsPerPage);
    const std::int64_t lastPage = std::numeric_limits<std::int64_t>::max() / perPage - 1;
    ExcerptLimits limits;
    limits.firstField = (std::clamp<std::int64_t>(page, 1, lastPage) - 1) * perPage;
    limits.fieldCount = kFieldsPerPage;
    limits.textBytes = kTextShown;
    limits.bodyBytes = kBodyShown;
    return limits;
}

std::string StartPageLink(std::string_view externalQuoteImportId) {
    return "/?externalQuoteImportID=" + EscapeQueryValue(externalQuoteImportId);
}

std::string ImportPageLink(std::int64_t id) {
    return "/?import=" + std::to_string(id);
}

std::string FieldsPageLink(std::int64_t id, std::int64_t page) {
    return ImportPageLink(id) + "&page=" + std::to_string(page);
}

std::string RawBodyLink(std::int64_t id) {
    return ImportPageLink(id) + "&raw=1";
}

std::string RawBodyFileName(std::int64_t id) {
    return "import-" + std::to_string(id) + "-body.txt";
}

std::string RenderStartPage(const std::string& externalQuoteImportId, const ImportExcerpt& newest,
                            const std::vector<ImportSummary>& earlier, std::int64_t total) {
    std::string html = PageStart("Import " + externalQuoteImportId);
    if (total > 1) {
        html += "<p>" + std::to_string(total) +
                " imports were sent under this identifier; the newest comes first, the earlier ones are listed "
                "after it.</p>\n";
    }
    html += ImportSection(newest);
    if (!earlier.empty()) {
        html += "<h2>Earlier imports under this identifier</h2>\n<ul>\n";
        for (const ImportSummary& summary : earlier) {
            html += "<li><a href=\"" + EscapeHtml(ImportPageLink(summary.id)) + "\">Import number " +
                    std::to_string(summary.id) + "</a>, received " + EscapeHtml(summary.receivedAt) + "</li>\n";
        }
        html += "</ul>\n";
        const std::int64_t unlisted = total - 1 - static_cast<std::int64_t>(earlier.size());
        if (unlisted > 0) {
            html += "<p>And " + std::to_string(unlisted) + " more, in the list of all imports.</p>\n";
        }
    }
    return html + PageEnd();
}

std::string RenderImportPage(const ImportExcerpt& excerpt) {
    return PageStart("Import number " + std::to_string(excerpt.id)) + ImportSection(excerpt) + PageEnd();
}

std::string RenderUnknownImportPage(const std::string& externalQuoteImportId) {
    return PageStart("Unknown import") + "<p>No import was posted with externalQuoteImportID <code>" +
           EscapeHtml(externalQuoteImportId) + "</code>.</p>\n" + PageEnd();
}

std::string RenderUnknownRowPage(const std::string& row) {
    return PageStart("Unknown import") + "<p>No import is stored under number <code>" + EscapeHtml(row) +
           "</code>.</p>\n" + PageEnd();
}

std::string RenderIndexPage(const std::vector<ImportSummary>& imports, std::int64_t total) {
    std::string html = PageStart("Imports received");
    if (imports.empty()) {
        return html + "<p>No import has arrived yet.</p>\n</body></html>\n";
    }
    html += "<p>" + std::to_string(total) + " stored";
    if (static_cast<std::int64_t>(imports.size()) < total) {
        html += ", the newest " + std::to_string(imports.size()) + " shown";
    }
    html +=
        "; newest first.</p>\n<table>\n<tr><th>#</th><th>received (UTC)</th><th>externalQuoteImportID</th>"
        "<th>rater</th><th>fileGenName</th><th>posted to</th><th>fields</th><th>bytes</th><th>status</th></tr>\n";
    for (const ImportSummary& summary : imports) {
        const auto& id = summary.header.externalQuoteImportID;
        // A cut identifier would name a start page that does not exist: no link then.
        const std::string idCell = !id         ? std::string("<td class=\"absent\">not sent</td>")
                                   : id->Cut() ? Cell(*id, summary.id)
                                               : "<td><a href=\"" + EscapeHtml(StartPageLink(id->text)) + "\">" +
                                                     EscapeHtml(id->text) + "</a></td>";
        const std::string rowCell = "<td><a href=\"" + EscapeHtml(ImportPageLink(summary.id)) + "\">" +
                                    std::to_string(summary.id) + "</a></td>";
        html += "<tr>" + rowCell + Cell(summary.receivedAt) + idCell + HeaderCell(summary.header.rater, summary.id) +
                HeaderCell(summary.header.fileGenName, summary.id) + Cell(summary.path, summary.id) +
                Cell(std::to_string(summary.fieldCount)) + Cell(std::to_string(summary.bodyBytes)) +
                StatusCell(summary.malformed, summary.malformedReason) + "</tr>\n";
    }
    return html + "</table>\n</body></html>\n";
}

std::string RenderNotFoundPage(const std::string& path) {
    return PageStart("Not found") + "<p>Nothing is served at <code>" + EscapeHtml(path) +
           "</code>. A start page is any address with <code>?externalQuoteImportID=</code> and the identifier.</p>\n" +
           PageEnd();
}

}  // namespace receiver
