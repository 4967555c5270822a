#include "pages.h"

namespace receiver {
namespace {

const char* const kStyle =
    "body{font-family:sans-serif;margin:1.5em}"
    "table{border-collapse:collapse;margin:.5em 0 1em}"
    "th,td{border:1px solid #999;padding:.2em .6em;text-align:left;vertical-align:top}"
    "th{background:#c8e1e1}"
    "pre{white-space:pre-wrap;word-break:break-all;background:#f4f4f4;padding:.5em}"
    ".malformed{color:#a00;font-weight:bold}"
    ".absent{color:#888;font-style:italic}";

std::string PageStart(const std::string& title) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\"><title>" + EscapeHtml(title) +
           "</title><style>" + kStyle + "</style></head><body>\n<h1>" + EscapeHtml(title) + "</h1>\n";
}

std::string PageEnd() {
    return "<p><a href=\"/\">All imports</a></p>\n</body></html>\n";
}

// A header value, or a visible note that the field was not sent at all.
std::string HeaderCell(const std::optional<std::string>& value) {
    return value ? "<td>" + EscapeHtml(*value) + "</td>" : "<td class=\"absent\">not sent</td>";
}

std::string Row(const std::string& name, const std::string& cell) {
    return "<tr><th>" + EscapeHtml(name) + "</th>" + cell + "</tr>\n";
}

std::string Cell(std::string_view text) {
    return "<td>" + EscapeHtml(text) + "</td>";
}

std::string HeaderTable(const StoredImport& stored) {
    const FormHeader& header = stored.form.header;
    std::string html = "<table>\n";
    html += Row("source", HeaderCell(header.source));
    html += Row("xversion", HeaderCell(header.xversion));
    html += Row("rater", HeaderCell(header.rater));
    html += Row("externalQuoteImportID", HeaderCell(header.externalQuoteImportID));
    html += Row("fileGenName", HeaderCell(header.fileGenName));
    html += Row("received (UTC)", Cell(stored.post.receivedAt));
    html += Row("posted to", Cell(stored.post.path));
    html += Row("from", Cell(stored.post.peer));
    html += Row("content type", Cell(stored.post.contentType));
    html += Row("encoding", Cell(EncodingName(stored.form.encoding)));
    html += Row("status", stored.form.Malformed()
                              ? "<td class=\"malformed\">malformed: " + EscapeHtml(stored.form.Reason()) + "</td>"
                              : std::string("<td>well formed</td>"));
    return html + "</table>\n";
}

std::string FieldTable(const DecodedForm& form) {
    std::string html;
    if (form.encoding == FieldEncoding::Record) {
        html += "<h3>Fields (" + std::to_string(form.recordFields.size()) + ")</h3>\n";
        html += "<table>\n<tr><th>R</th><th>record</th><th>occurrence</th><th>field</th><th>value</th></tr>\n";
        for (const RecordField& field : form.recordFields) {
            html += "<tr>" + Cell(std::to_string(field.running)) + Cell(std::to_string(field.record)) +
                    Cell(std::to_string(field.occurrence)) + Cell(std::to_string(field.field)) + Cell(field.value) +
                    "</tr>\n";
        }
    } else {
        html += "<h3>Fields (" + std::to_string(form.lineFields.size()) + ")</h3>\n";
        html += "<table>\n<tr><th>slot</th><th>text</th></tr>\n";
        for (const LineField& field : form.lineFields) {
            html += "<tr>" + Cell(std::to_string(field.slot)) + Cell(field.text) + "</tr>\n";
        }
    }
    return html + "</table>\n";
}

std::string ImportSection(const StoredImport& stored) {
    return "<h2>Import number " + std::to_string(stored.id) + "</h2>\n" + HeaderTable(stored) +
           FieldTable(stored.form) + "<h3>Raw body (" + std::to_string(stored.post.body.size()) +
           " bytes)</h3>\n<pre>" + EscapeHtml(stored.post.body) + "</pre>\n";
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

std::string StartPageLink(std::string_view externalQuoteImportId) {
    return "/?externalQuoteImportID=" + EscapeQueryValue(externalQuoteImportId);
}

std::string ImportPageLink(std::int64_t id) {
    return "/?import=" + std::to_string(id);
}

std::string RenderStartPage(const std::string& externalQuoteImportId, const std::vector<StoredImport>& imports) {
    std::string html = PageStart("Import " + externalQuoteImportId);
    if (imports.size() > 1) {
        html += "<p>" + std::to_string(imports.size()) +
                " imports were sent under this identifier; the newest comes first.</p>\n";
    }
    for (const StoredImport& stored : imports) {
        html += ImportSection(stored);
    }
    return html + PageEnd();
}

std::string RenderImportPage(const StoredImport& stored) {
    return PageStart("Import number " + std::to_string(stored.id)) + ImportSection(stored) + PageEnd();
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
        const std::string idCell =
            id ? "<td><a href=\"" + EscapeHtml(StartPageLink(*id)) + "\">" + EscapeHtml(*id) + "</a></td>"
               : std::string("<td class=\"absent\">not sent</td>");
        const std::string rowCell = "<td><a href=\"" + EscapeHtml(ImportPageLink(summary.id)) + "\">" +
                                    std::to_string(summary.id) + "</a></td>";
        html +=
            "<tr>" + rowCell + Cell(summary.receivedAt) + idCell + HeaderCell(summary.header.rater) +
            HeaderCell(summary.header.fileGenName) + Cell(summary.path) + Cell(std::to_string(summary.fieldCount)) +
            Cell(std::to_string(summary.bodyBytes)) +
            (summary.malformed ? "<td class=\"malformed\">malformed: " + EscapeHtml(summary.malformedReason) + "</td>"
                               : std::string("<td>well formed</td>")) +
            "</tr>\n";
    }
    return html + "</table>\n</body></html>\n";
}

std::string RenderNotFoundPage(const std::string& path) {
    return PageStart("Not found") + "<p>Nothing is served at <code>" + EscapeHtml(path) +
           "</code>. A start page is any address with <code>?externalQuoteImportID=</code> and the identifier.</p>\n" +
           PageEnd();
}

}  // namespace receiver
