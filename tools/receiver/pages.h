// The receiver's HTML pages: the start page that Vantrel opens after an import
// ("...?externalQuoteImportID=<id>"), the page of one import, the page for an identifier
// nobody posted, the index of all imports, and the page for any other address.
//
// A page stays small whatever was posted: fields are shown kFieldsPerPage at a time with
// links to the other pages, every text is cut to kTextShown bytes and the raw body to
// kBodyShown, with a link to the whole raw body, which is served as a download.
//
// Every text that came from a post or from the request is HTML-escaped before it goes into
// a page, so a quote value can never become markup. The agent's bytes are in a Windows
// code page, not UTF-8; the pages are declared Windows-1252 so those bytes show as typed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import_store.h"

namespace receiver {

// The Content-Type to send every page with.
constexpr const char* kPageContentType = "text/html; charset=windows-1252";

constexpr std::size_t kFieldsPerPage = 500;
constexpr std::size_t kTextShown = 200;
constexpr std::size_t kBodyShown = 4096;
// How many imports the index shows at most; the newest ones.
constexpr std::size_t kIndexLimit = 500;
// How many earlier imports under one identifier its start page links to at most.
constexpr std::size_t kEarlierListed = 100;

// What to read of an import to show page `page` of its fields (counted from 1).
ExcerptLimits PageLimits(std::int64_t page);

// Replaces & < > " ' by their character references; every other byte is kept.
std::string EscapeHtml(std::string_view text);

// Percent-encodes everything but letters, digits and "-._~", for a value in a link's query.
std::string EscapeQueryValue(std::string_view text);

// Links relative to the server's root: the start page of an identifier, one import by its
// row number, a page of its fields, its raw body as a download.
std::string StartPageLink(std::string_view externalQuoteImportId);
std::string ImportPageLink(std::int64_t id);
std::string FieldsPageLink(std::int64_t id, std::int64_t page);
std::string RawBodyLink(std::int64_t id);

// The name a raw body is downloaded as.
std::string RawBodyFileName(std::int64_t id);

// The start page: the newest import sent under `externalQuoteImportId` with its header
// fields, the first page of its fields and the start of its raw body, then links to the
// earlier ones (`earlier`, newest first; `total` imports were sent under it in all).
std::string RenderStartPage(const std::string& externalQuoteImportId, const ImportExcerpt& newest,
                            const std::vector<ImportSummary>& earlier, std::int64_t total);

// One import found by its row number in the store ("?import=<n>", with "&page=<p>" for
// its later fields), so that a post without an identifier can be looked at too.
std::string RenderImportPage(const ImportExcerpt& excerpt);

// For an identifier no post carried, or a row number that is not stored; sent with 404.
std::string RenderUnknownImportPage(const std::string& externalQuoteImportId);
std::string RenderUnknownRowPage(const std::string& row);

// The list of imports, newest first, each linked to its start page; `total` is how many
// are stored, which is more than listed when the list was cut at kIndexLimit.
std::string RenderIndexPage(const std::vector<ImportSummary>& imports, std::int64_t total);

// For a GET of any address other than "/" without an identifier; sent with 404.
std::string RenderNotFoundPage(const std::string& path);

}  // namespace receiver
