#include "import_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>

#include "sqlite_statement.h"

namespace receiver {
namespace {

constexpr int kSchemaVersion = 1;

// A later receiver may change the schema; that is what user_version is for.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS imports (
    id INTEGER PRIMARY KEY,
    received_at TEXT NOT NULL,
    peer TEXT NOT NULL,
    path TEXT NOT NULL,
    content_type TEXT NOT NULL,
    raw_body BLOB NOT NULL,
    source TEXT,
    xversion TEXT,
    rater TEXT,
    external_quote_import_id TEXT,
    file_gen_name TEXT,
    encoding TEXT NOT NULL CHECK (encoding IN ('Line', 'Record')),
    malformed INTEGER NOT NULL CHECK (malformed IN (0, 1)),
    malformed_reason TEXT
);
CREATE INDEX IF NOT EXISTS imports_by_external_id ON imports (external_quote_import_id);
CREATE TABLE IF NOT EXISTS line_fields (
    import_id INTEGER NOT NULL REFERENCES imports (id),
    position INTEGER NOT NULL,
    slot INTEGER NOT NULL,
    text TEXT NOT NULL,
    PRIMARY KEY (import_id, position)
);
CREATE TABLE IF NOT EXISTS record_fields (
    import_id INTEGER NOT NULL REFERENCES imports (id),
    position INTEGER NOT NULL,
    running_number INTEGER NOT NULL,
    record_number INTEGER NOT NULL,
    occurrence INTEGER NOT NULL,
    field_number INTEGER NOT NULL,
    value TEXT NOT NULL,
    PRIMARY KEY (import_id, position)
);
)sql";

// Another program writing the file (a repair, a second receiver by mistake) holds its lock
// for a moment; wait for that, bounded, rather than fail.
constexpr int kBusyWaitMilliseconds = 5000;

// Fields are decoded this many at a time, and written this many rows to a statement: enough
// to make the writing fast, little enough that a post of millions of fields needs only a
// bounded amount of memory beyond its body.
constexpr std::size_t kFieldsPerBatch = 4096;
constexpr std::size_t kRowsPerStatement = 128;

// The number of fields of an import: positions run from 0 without gaps, so the largest one
// says it, and the primary key finds it without counting rows.
constexpr const char* kFieldCount =
    "coalesce((SELECT max(position) + 1 FROM line_fields WHERE import_id = imports.id), 0) + "
    "coalesce((SELECT max(position) + 1 FROM record_fields WHERE import_id = imports.id), 0)";

std::string MultiRowInsert(const std::string& tableAndColumns, int columns, std::size_t rows) {
    std::string row = "(";
    for (int column = 0; column < columns; ++column) {
        row += column == 0 ? "?" : ", ?";
    }
    row += ")";
    std::string sql = "INSERT INTO " + tableAndColumns + " VALUES ";
    for (std::size_t i = 0; i < rows; ++i) {
        sql += i == 0 ? row : ", " + row;
    }
    return sql;
}

// The field types and how each goes into its table.
struct LineRows {
    static constexpr const char* kTable = "line_fields (import_id, position, slot, text)";
    static constexpr int kColumns = 4;
    static const std::vector<LineField>& Of(const FieldBatch& batch) { return batch.lineFields; }
    static void Bind(Statement& insert, int& parameter, const LineField& field) {
        insert.Bind(parameter++, field.slot);
        insert.BindTextInPlace(parameter++, field.text);
    }
};

struct RecordRows {
    static constexpr const char* kTable =
        "record_fields (import_id, position, running_number, record_number, occurrence, field_number, value)";
    static constexpr int kColumns = 7;
    static const std::vector<RecordField>& Of(const FieldBatch& batch) { return batch.recordFields; }
    static void Bind(Statement& insert, int& parameter, const RecordField& field) {
        insert.Bind(parameter++, field.running);
        insert.Bind(parameter++, field.record);
        insert.Bind(parameter++, field.occurrence);
        insert.Bind(parameter++, field.field);
        insert.BindTextInPlace(parameter++, field.value);
    }
};

// Writes every field the reader has left, kRowsPerStatement rows to a statement where it can.
// The statement of many rows is only prepared for a post that has that many: most have fewer.
template <typename Rows>
void InsertAll(sqlite3* db, std::int64_t id, FormReader& reader) {
    std::optional<Statement> many;
    Statement one(db, MultiRowInsert(Rows::kTable, Rows::kColumns, 1));
    std::int64_t position = 0;
    FieldBatch batch;
    while (reader.NextBatch(kFieldsPerBatch, batch)) {
        const auto& fields = Rows::Of(batch);
        std::size_t next = 0;
        const auto insertRows = [&](Statement& insert, std::size_t rows) {
            int parameter = 1;
            for (std::size_t row = 0; row < rows; ++row) {
                insert.Bind(parameter++, id);
                insert.Bind(parameter++, position++);
                Rows::Bind(insert, parameter, fields[next++]);
            }
            insert.Step();
            insert.Reset();
        };
        while (fields.size() - next >= kRowsPerStatement) {
            if (!many) {
                many.emplace(db, MultiRowInsert(Rows::kTable, Rows::kColumns, kRowsPerStatement));
            }
            insertRows(*many, kRowsPerStatement);
        }
        while (next < fields.size()) {
            insertRows(one, 1);
        }
    }
}

FieldEncoding EncodingFromName(const std::string& name) {
    return name == EncodingName(FieldEncoding::Record) ? FieldEncoding::Record : FieldEncoding::Line;
}

// Reads columns `first` to `first` + 4 in the order of the header fields.
HeaderExcerpt ReadHeader(const Statement& row, int first, std::size_t textBytes) {
    HeaderExcerpt header;
    header.source = row.OptionalExcerpt(first, textBytes);
    header.xversion = row.OptionalExcerpt(first + 1, textBytes);
    header.rater = row.OptionalExcerpt(first + 2, textBytes);
    header.externalQuoteImportID = row.OptionalExcerpt(first + 3, textBytes);
    header.fileGenName = row.OptionalExcerpt(first + 4, textBytes);
    return header;
}

// Calls `take` with each field of the run `limits` asks for, in order; `columnsAndTable` is
// "<columns> FROM <table>".
void ForEachField(sqlite3* db, const std::string& columnsAndTable, std::int64_t id, const ExcerptLimits& limits,
                  const std::function<void(const Statement&)>& take) {
    Statement query(db,
                    "SELECT " + columnsAndTable + " WHERE import_id = ? AND position >= ? ORDER BY position LIMIT ?");
    query.Bind(1, id);
    query.Bind(2, limits.firstField);
    query.Bind(3, static_cast<std::int64_t>(limits.fieldCount));
    while (query.Step()) {
        take(query);
    }
}

void RequireOpen(sqlite3* db, const std::string& path) {
    if (!db) {
        throw StoreError(path + " is closed");
    }
}

// Up to `length` bytes of one import's raw body from `offset`, through the blob interface,
// which reads only the pages asked for.
std::string ReadBodyBytes(sqlite3* db, std::int64_t id, std::int64_t offset, std::size_t length) {
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(db, "main", "imports", "raw_body", id, 0, &blob) != SQLITE_OK) {
        const std::string why = sqlite3_errmsg(db);
        sqlite3_blob_close(blob);
        throw StoreError("cannot read the body of import " + std::to_string(id) + ": " + why);
    }
    const std::int64_t size = sqlite3_blob_bytes(blob);
    const std::int64_t start = std::clamp<std::int64_t>(offset, 0, size);
    std::string bytes(static_cast<std::size_t>(std::min<std::int64_t>(size - start, length)), '\0');
    const int read = sqlite3_blob_read(blob, bytes.data(), static_cast<int>(bytes.size()), static_cast<int>(start));
    sqlite3_blob_close(blob);
    if (read != SQLITE_OK) {
        throw StoreError("cannot read the body of import " + std::to_string(id) + ": " + sqlite3_errstr(read));
    }
    return bytes;
}

sqlite3* Open(const std::string& path, int flags) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw StoreError("cannot be opened: " + why);
    }
    sqlite3_busy_timeout(db, kBusyWaitMilliseconds);
    return db;
}

}  // namespace

ImportStore::ImportStore(const std::string& path) : path_(path) {
    try {
        OpenWriter();
        CheckWriter();
        OpenReader();
    } catch (const StoreError& error) {
        Close();
        throw StoreError(path + ": " + error.what());
    }
}

ImportStore::~ImportStore() {
    Close();
}

void ImportStore::Close() {
    {
        std::lock_guard<std::mutex> hold(readLock_);
        sqlite3_close(reader_);
        reader_ = nullptr;
    }
    std::lock_guard<std::mutex> hold(writeLock_);
    sqlite3_close(writer_);
    writer_ = nullptr;
}

void ImportStore::OpenWriter() {
    writer_ = Open(path_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // SQLite quietly opens a file it may not write read-only; say so now rather than fail
    // the first post.
    if (sqlite3_db_readonly(writer_, "main") == 1) {
        throw StoreError("cannot be written (the file or its folder is read-only for this user)");
    }
    Execute(writer_, "PRAGMA foreign_keys = ON");
}

// Refuses a file that is damaged, of a later schema, or that cannot be written after all,
// so a receiver never starts only to fail its first post; makes the schema in a new file.
void ImportStore::CheckWriter() {
    std::string findings;
    try {
        Statement check(writer_, "PRAGMA quick_check");
        while (check.Step()) {
            const std::string finding = check.Bytes(0);
            if (finding != "ok") {
                findings += (findings.empty() ? "" : "; ") + finding;
            }
        }
    } catch (const StoreError& error) {
        // Damage can also stop the check itself.
        findings = error.what();
    }
    if (!findings.empty()) {
        throw StoreError("is damaged or not a database (PRAGMA quick_check: " + findings +
                         "); keep it for inspection and start with another --db");
    }
    std::int64_t version = 0;
    {
        Statement query(writer_, "PRAGMA user_version");
        if (query.Step()) {
            version = query.Integer(0);
        }
    }
    if (version > kSchemaVersion) {
        throw StoreError("made by a later receiver (schema version " + std::to_string(version) + ", this one knows " +
                         std::to_string(kSchemaVersion) + ")");
    }
    {
        Statement mode(writer_, "PRAGMA journal_mode = WAL");
        const std::string journal = mode.Step() ? mode.Bytes(0) : "";
        if (journal != "wal") {
            throw StoreError("cannot be switched to WAL mode (journal mode is \"" + journal + "\")");
        }
    }
    // A real write, committed, also for a file that has its schema: it shows the file, its
    // folder and its WAL can all be written. Writing the version again changes nothing else.
    try {
        WriteTransaction transaction(writer_);
        if (version == 0) {
            Execute(writer_, kSchema);
        }
        Execute(writer_, ("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
        transaction.Commit();
    } catch (const StoreError& error) {
        throw StoreError(std::string("cannot be written (") + error.what() + ")");
    }
}

void ImportStore::OpenReader() {
    reader_ = Open(path_, SQLITE_OPEN_READONLY);
}

AddedImport ImportStore::Add(const ReceivedPost& post) {
    std::lock_guard<std::mutex> hold(writeLock_);
    RequireOpen(writer_, path_);
    FormReader reader(post.body);
    WriteTransaction transaction(writer_);
    // The fields go in before their import's row, so that the row can carry what decoding
    // them found; the references are checked at COMMIT. (Switched off again by SQLite at
    // the end of the transaction.)
    Execute(writer_, "PRAGMA defer_foreign_keys = ON");
    std::int64_t id = 0;
    {
        // What SQLite would give the new row; no other post can write meanwhile.
        Statement next(writer_, "SELECT coalesce(max(id), 0) + 1 FROM imports");
        next.Step();
        id = next.Integer(0);
    }
    if (reader.Encoding() == FieldEncoding::Record) {
        InsertAll<RecordRows>(writer_, id, reader);
    } else {
        InsertAll<LineRows>(writer_, id, reader);
    }
    {
        Statement insert(writer_,
                         "INSERT INTO imports (id, received_at, peer, path, content_type, raw_body, source, xversion, "
                         "rater, external_quote_import_id, file_gen_name, encoding, malformed, malformed_reason) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const FormHeader& header = reader.Header();
        insert.Bind(1, id);
        insert.Bind(2, post.receivedAt);
        insert.Bind(3, post.peer);
        insert.Bind(4, post.path);
        insert.Bind(5, post.contentType);
        insert.BindBlobInPlace(6, post.body);
        insert.Bind(7, header.source);
        insert.Bind(8, header.xversion);
        insert.Bind(9, header.rater);
        insert.Bind(10, header.externalQuoteImportID);
        insert.Bind(11, header.fileGenName);
        insert.Bind(12, std::string(EncodingName(reader.Encoding())));
        insert.Bind(13, std::int64_t{reader.Malformed() ? 1 : 0});
        insert.Bind(14, reader.Malformed() ? std::optional<std::string>(reader.Reason()) : std::nullopt);
        insert.Step();
    }
    transaction.Commit();
    return AddedImport{id, reader.Reason()};
}

std::optional<ImportExcerpt> ImportStore::Read(std::int64_t id, const ExcerptLimits& limits) {
    std::lock_guard<std::mutex> hold(readLock_);
    RequireOpen(reader_, path_);
    ImportExcerpt excerpt;
    {
        Statement query(reader_, std::string("SELECT received_at, peer, path, content_type, source, xversion, rater, "
                                             "external_quote_import_id, file_gen_name, encoding, malformed, "
                                             "malformed_reason, length(raw_body), ") +
                                     kFieldCount + " FROM imports WHERE id = ?");
        query.Bind(1, id);
        if (!query.Step()) {
            return std::nullopt;
        }
        excerpt.id = id;
        excerpt.receivedAt = query.Bytes(0);
        excerpt.peer = query.Bytes(1);
        excerpt.path = query.BytesExcerpt(2, limits.textBytes);
        excerpt.contentType = query.BytesExcerpt(3, limits.textBytes);
        excerpt.header = ReadHeader(query, 4, limits.textBytes);
        excerpt.encoding = EncodingFromName(query.Bytes(9));
        excerpt.malformed = query.Integer(10) != 0;
        excerpt.malformedReason = query.Bytes(11);
        excerpt.body.bytes = query.Integer(12);
        excerpt.fieldCount = query.Integer(13);
    }
    excerpt.firstField = limits.firstField;
    if (excerpt.encoding == FieldEncoding::Record) {
        ForEachField(reader_, "running_number, record_number, occurrence, field_number, value FROM record_fields", id,
                     limits, [&](const Statement& row) {
                         excerpt.recordFields.push_back(RecordFieldExcerpt{row.Integer(0), row.Integer(1),
                                                                           row.Integer(2), row.Integer(3),
                                                                           row.BytesExcerpt(4, limits.textBytes)});
                     });
    } else {
        ForEachField(reader_, "slot, text FROM line_fields", id, limits, [&](const Statement& row) {
            excerpt.lineFields.push_back(LineFieldExcerpt{row.Integer(0), row.BytesExcerpt(1, limits.textBytes)});
        });
    }
    excerpt.body.text = ReadBodyBytes(reader_, id, 0, limits.bodyBytes);
    return excerpt;
}

std::vector<ImportSummary> ImportStore::ReadSummaries(const std::string& where,
                                                      const std::string* externalQuoteImportId, std::size_t limit,
                                                      std::size_t textBytes) {
    std::lock_guard<std::mutex> hold(readLock_);
    RequireOpen(reader_, path_);
    Statement query(reader_, std::string("SELECT id, received_at, path, source, xversion, rater, "
                                         "external_quote_import_id, file_gen_name, encoding, malformed, "
                                         "malformed_reason, length(raw_body), ") +
                                 kFieldCount + " FROM imports " + where + " ORDER BY id DESC LIMIT ?");
    int parameter = 1;
    if (externalQuoteImportId) {
        query.Bind(parameter++, *externalQuoteImportId);
    }
    query.Bind(parameter, static_cast<std::int64_t>(limit));
    std::vector<ImportSummary> list;
    while (query.Step()) {
        ImportSummary summary;
        summary.id = query.Integer(0);
        summary.receivedAt = query.Bytes(1);
        summary.path = query.BytesExcerpt(2, textBytes);
        summary.header = ReadHeader(query, 3, textBytes);
        summary.encoding = EncodingFromName(query.Bytes(8));
        summary.malformed = query.Integer(9) != 0;
        summary.malformedReason = query.Bytes(10);
        summary.bodyBytes = query.Integer(11);
        summary.fieldCount = query.Integer(12);
        list.push_back(std::move(summary));
    }
    return list;
}

std::vector<ImportSummary> ImportStore::ListByExternalId(const std::string& externalQuoteImportId, std::size_t limit,
                                                         std::size_t textBytes) {
    return ReadSummaries("WHERE external_quote_import_id = ?", &externalQuoteImportId, limit, textBytes);
}

std::int64_t ImportStore::CountByExternalId(const std::string& externalQuoteImportId) {
    std::lock_guard<std::mutex> hold(readLock_);
    RequireOpen(reader_, path_);
    Statement query(reader_, "SELECT count(*) FROM imports WHERE external_quote_import_id = ?");
    query.Bind(1, externalQuoteImportId);
    return query.Step() ? query.Integer(0) : 0;
}

std::vector<ImportSummary> ImportStore::ListNewest(std::size_t limit, std::size_t textBytes) {
    return ReadSummaries("", nullptr, limit, textBytes);
}

std::int64_t ImportStore::Count() {
    std::lock_guard<std::mutex> hold(readLock_);
    RequireOpen(reader_, path_);
    Statement query(reader_, "SELECT count(*) FROM imports");
    return query.Step() ? query.Integer(0) : 0;
}

std::optional<std::int64_t> ImportStore::BodySize(std::int64_t id) {
    std::lock_guard<std::mutex> hold(readLock_);
    RequireOpen(reader_, path_);
    Statement query(reader_, "SELECT length(raw_body) FROM imports WHERE id = ?");
    query.Bind(1, id);
    return query.Step() ? std::optional<std::int64_t>(query.Integer(0)) : std::nullopt;
}

std::string ImportStore::ReadBody(std::int64_t id, std::int64_t offset, std::size_t length) {
    std::lock_guard<std::mutex> hold(readLock_);
    RequireOpen(reader_, path_);
    return ReadBodyBytes(reader_, id, offset, length);
}

}  // namespace receiver
