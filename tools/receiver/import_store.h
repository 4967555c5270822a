// The receiver's memory: every accepted post, kept in one SQLite file.
//
// One post is one row of `imports` (when and where it arrived, the raw body, the five
// header fields, the encoding, and whether it was malformed and why) plus its decoded
// fields in `line_fields` or `record_fields`. A post goes in whole or not at all (one
// transaction), and nothing is ever updated or deleted, so the file is a plain record of
// what Vantrel sent; it can be read with any SQLite tool while the receiver runs.
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
// Safe to use from several threads: every operation holds the store's lock.
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

// What arrived, apart from its decoding.
struct ReceivedPost {
    std::string receivedAt;  // UTC, ISO 8601 with milliseconds
    std::string peer;        // the sender's address
    std::string path;        // the object name it was posted to
    std::string contentType;
    std::string body;
};

// One stored import, as read back.
struct StoredImport {
    std::int64_t id = 0;
    ReceivedPost post;
    DecodedForm form;  // problems holds the stored reason as one entry when malformed
};

// One line of the list of imports.
struct ImportSummary {
    std::int64_t id = 0;
    std::string receivedAt;
    std::string path;
    FormHeader header;
    FieldEncoding encoding = FieldEncoding::Line;
    bool malformed = false;
    std::string malformedReason;
    std::int64_t fieldCount = 0;
    std::int64_t bodyBytes = 0;
};

class ImportStore {
public:
    // Opens (creating when missing) the file at `path` and makes sure the schema is there.
    // Throws StoreError when the file cannot be opened or was made by a later schema.
    explicit ImportStore(const std::string& path);
    ~ImportStore();
    ImportStore(const ImportStore&) = delete;
    ImportStore& operator=(const ImportStore&) = delete;

    // Stores one post with its decoding in one transaction and returns its id. Throws
    // StoreError (and stores nothing) when the write fails.
    std::int64_t Add(const ReceivedPost& post, const DecodedForm& form);

    // Every import sent under this identifier, newest first; empty when there is none.
    // (Vantrel's identifiers count seconds, so two imports can share one.)
    std::vector<StoredImport> FindByExternalId(const std::string& externalQuoteImportId);

    // One import by its id; nullopt when there is none.
    std::optional<StoredImport> FindById(std::int64_t id);

    // The newest `limit` imports, newest first.
    std::vector<ImportSummary> ListNewest(std::size_t limit);

    std::int64_t Count();

    // Closes the file; any later call throws StoreError. Also done by the destructor.
    void Close();

private:
    void Execute(const char* sql);
    void CreateSchema();
    void RequireOpen() const;
    void LoadFields(StoredImport& stored);

    std::mutex lock_;
    sqlite3* db_ = nullptr;
    std::string path_;
};

}  // namespace receiver
