// The receiver's HTML pages: the start page that Vantrel opens after an import
// ("...?externalQuoteImportID=<id>"), the page for an identifier nobody posted, the index
// of all imports, and the page for any other address.
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

// How many imports the index shows at most; the newest ones.
constexpr std::size_t kIndexLimit = 500;

// Replaces & < > " ' by their character references; every other byte is kept.
std::string EscapeHtml(std::string_view text);

// Percent-encodes everything but letters, digits and "-._~", for a value in a link's query.
std::string EscapeQueryValue(std::string_view text);

// The link to the start page of one identifier, relative to the server's root.
std::string StartPageLink(std::string_view externalQuoteImportId);

// The start page: each import sent under `externalQuoteImportId` (newest first, normally
// exactly one) with its header fields, its decoded fields as a table and its raw body.
std::string RenderStartPage(const std::string& externalQuoteImportId, const std::vector<StoredImport>& imports);

// One import found by its row number in the store ("?import=<n>"), so that a post without
// an identifier can be looked at too.
std::string RenderImportPage(const StoredImport& stored);

// The link to one import by its row number, relative to the server's root.
std::string ImportPageLink(std::int64_t id);

// For an identifier no post carried, or a row number that is not stored; sent with 404.
std::string RenderUnknownImportPage(const std::string& externalQuoteImportId);
std::string RenderUnknownRowPage(const std::string& row);

// The list of imports, newest first, each linked to its start page; `total` is how many
// are stored, which is more than listed when the list was cut at kIndexLimit.
std::string RenderIndexPage(const std::vector<ImportSummary>& imports, std::int64_t total);

// For a GET of any address other than "/" without an identifier; sent with 404.
std::string RenderNotFoundPage(const std::string& path);

}  // namespace receiver
