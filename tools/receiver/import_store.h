// The receiver's memory: every accepted post, kept in one SQLite file.
//
// One post is one row of `imports` (when and where it arrived, the raw body, the five
// header fields, the encoding, and whether it was malformed and why) plus its decoded
// fields in `line_fields` or `record_fields`. A post goes in whole or not at all (one
// transaction), and nothing is ever updated or deleted, so the file is a plain record of
// what Vantrel sent.
//
// The schema (version 1, kept in PRAGMA user_version):
//
//   imports(id INTEGER PRIMARY KEY,         -- arrival order
//           received_at TEXT,                -- UTC, "2026-12-07T20:56:05.123Z"
//           peer TEXT, path TEXT, content_type TEXT,
//           raw_body BLOB,                   -- the bytes as they came
//           source, xversion, rater, external_quote_import_id, file_gen_name TEXT,
//                                            -- NULL when the field was not sent
//           encoding TEXT ('Line' | 'Record'),
//           malformed INTEGER (0 | 1), malformed_reason TEXT)
//   line_fields(import_id, position, slot, text)
//   record_fields(import_id, position, running_number, record_number, occurrence,
//                 field_number, value)
//
// `position` is the field's place among the decoded fields of its post, from 0. Texts are
// the agent's bytes (normally Windows-1252), not converted.
//
// The file is kept in WAL mode, so it can be read with any SQLite tool while the receiver
// runs: a reader, even one holding a transaction open, never holds up a post, and sees the
// file as it was when its transaction began.
//
// Safe to use from several threads. Posts are written one at a time (SQLite has one writer);
// everything else reads through a connection of its own, so it never waits for a post being
// written and never sees one half-written.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "form_decoder.h"

struct sqlite3;

namespace receiver {

// Opening, reading or writing the file failed; the message names what and why.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What arrived.
struct ReceivedPost {
    std::string receivedAt;  // UTC, ISO 8601 with milliseconds
    std::string peer;        // the sender's address
    std::string path;        // the object name it was posted to
    std::string contentType;
    std::string body;
};

// What Add made of a post.
struct AddedImport {
    std::int64_t id = 0;
    std::string malformedReason;  // empty when the body was well formed
};

// A stored text as a page shows it: its first bytes, and how long it is whole.
struct Excerpt {
    std::string text;
    std::int64_t bytes = 0;

    bool Cut() const { return static_cast<std::int64_t>(text.size()) < bytes; }
};

// The five header fields, each cut to an excerpt; nullopt when the field was not sent.
struct HeaderExcerpt {
    std::optional<Excerpt> source;
    std::optional<Excerpt> xversion;
    std::optional<Excerpt> rater;
    std::optional<Excerpt> externalQuoteImportID;
    std::optional<Excerpt> fileGenName;
};

struct LineFieldExcerpt {
    std::int64_t slot = 0;
    Excerpt text;
};

struct RecordFieldExcerpt {
    std::int64_t running = 0;
    std::int64_t record = 0;
    std::int64_t occurrence = 0;
    std::int64_t field = 0;
    Excerpt value;
};

// How much of one import to read for a page: a run of its fields, and the first bytes of
// every text, so that what is read stays small whatever was posted.
struct ExcerptLimits {
    std::int64_t firstField = 0;  // position of the first field read
    std::size_t fieldCount = 500;
    std::size_t textBytes = 200;  // of each header field, field value, path and content type
    std::size_t bodyBytes = 4096;
};

// One stored import, read as ExcerptLimits say.
struct ImportExcerpt {
    std::int64_t id = 0;
    std::string receivedAt;
    std::string peer;
    Excerpt path;
    Excerpt contentType;
    HeaderExcerpt header;
    FieldEncoding encoding = FieldEncoding::Line;
    bool malformed = false;
    std::string malformedReason;
    Excerpt body;                                  // its first bytes
    std::int64_t fieldCount = 0;                   // all of them
    std::int64_t firstField = 0;                   // the position of the first field below
    std::vector<LineFieldExcerpt> lineFields;      // for the line encoding
    std::vector<RecordFieldExcerpt> recordFields;  // for the record encoding
};

// One line of a list of imports.
struct ImportSummary {
    std::int64_t id = 0;
    std::string receivedAt;
    Excerpt path;
    HeaderExcerpt header;
    FieldEncoding encoding = FieldEncoding::Line;
    bool malformed = false;
    std::string malformedReason;
    std::int64_t fieldCount = 0;
    std::int64_t bodyBytes = 0;
};

class ImportStore {
public:
    // Opens (creating when missing) the file at `path`, makes sure the schema is there and
    // switches it to WAL mode. Throws StoreError when the file cannot be opened or written,
    // is damaged (PRAGMA quick_check), or was made by a later schema.
    explicit ImportStore(const std::string& path);
    ~ImportStore();
    ImportStore(const ImportStore&) = delete;
    ImportStore& operator=(const ImportStore&) = delete;

    // Decodes the post and stores it with its fields in one transaction, a bounded batch of
    // fields at a time so a body of millions of them is never held decoded all at once.
    // Throws StoreError (and stores nothing) when the write fails.
    AddedImport Add(const ReceivedPost& post);

    // One import, read as `limits` say; nullopt when there is none.
    std::optional<ImportExcerpt> Read(std::int64_t id, const ExcerptLimits& limits);

    // The newest `limit` imports sent under this identifier, newest first, texts cut to
    // `textBytes`. (Vantrel's identifiers count seconds, so two imports can share one.)
    std::vector<ImportSummary> ListByExternalId(const std::string& externalQuoteImportId, std::size_t limit,
                                                std::size_t textBytes);
    std::int64_t CountByExternalId(const std::string& externalQuoteImportId);

    // The newest `limit` imports, newest first, texts cut to `textBytes`.
    std::vector<ImportSummary> ListNewest(std::size_t limit, std::size_t textBytes);

    std::int64_t Count();

    // The length of one import's raw body; nullopt when there is no such import.
    std::optional<std::int64_t> BodySize(std::int64_t id);

    // Up to `length` bytes of one import's raw body from `offset`; fewer at its end.
    std::string ReadBody(std::int64_t id, std::int64_t offset, std::size_t length);

    // Closes the file; any later call throws StoreError. Also done by the destructor.
    void Close();

private:
    void OpenWriter();
    void CheckWriter();
    void OpenReader();
    std::vector<ImportSummary> ReadSummaries(const std::string& where, const std::string* externalQuoteImportId,
                                             std::size_t limit, std::size_t textBytes);

    std::string path_;
    std::mutex writeLock_;  // held for the whole of one post's transaction
    sqlite3* writer_ = nullptr;
    std::mutex readLock_;  // held for one read, never while a post is written
    sqlite3* reader_ = nullptr;
};

}  // namespace receiver
