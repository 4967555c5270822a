#include "import_store.h"

#include <sqlite3.h>

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
PRAGMA user_version = 1;
)sql";

constexpr const char* kImportColumns =
    "id, received_at, peer, path, content_type, raw_body, source, xversion, rater, external_quote_import_id, "
    "file_gen_name, encoding, malformed, malformed_reason";

// One prepared statement, finalized with its scope so no early return can leave one open
// (an open statement would keep sqlite3_close from closing the file).
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
            throw StoreError(std::string("cannot prepare a query: ") + sqlite3_errmsg(db));
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Bind(int index, std::int64_t value) { Check(sqlite3_bind_int64(statement_, index, value)); }
    void Bind(int index, const std::string& text) {
        Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    }
    void Bind(int index, const std::optional<std::string>& text) {
        if (text) {
            Bind(index, *text);
        } else {
            Check(sqlite3_bind_null(statement_, index));
        }
    }
    void BindBlob(int index, const std::string& bytes) {
        // data() is never null, so an empty body is stored as an empty blob, not as NULL.
        Check(sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
    }

    // Makes the statement ready to run again with new values.
    void Reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

    // True while there is a row to read.
    bool Step() {
        const int result = sqlite3_step(statement_);
        if (result == SQLITE_ROW) {
            return true;
        }
        if (result == SQLITE_DONE) {
            return false;
        }
        throw StoreError(std::string("query failed: ") + sqlite3_errmsg(db_));
    }

    std::int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                    : std::string();
    }
    std::optional<std::string> OptionalText(int column) const {
        if (sqlite3_column_type(statement_, column) == SQLITE_NULL) {
            return std::nullopt;
        }
        return Text(column);
    }
    std::string Blob(int column) const {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                     : std::string();
    }

private:
    void Check(int result) const {
        if (result != SQLITE_OK) {
            throw StoreError(std::string("cannot bind a value: ") + sqlite3_errmsg(db_));
        }
    }

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

FieldEncoding EncodingFromName(const std::string& name) {
    return name == EncodingName(FieldEncoding::Record) ? FieldEncoding::Record : FieldEncoding::Line;
}

// Reads the columns of kImportColumns, in that order.
StoredImport ReadImport(const Statement& row) {
    StoredImport stored;
    stored.id = row.Integer(0);
    stored.post.receivedAt = row.Text(1);
    stored.post.peer = row.Text(2);
    stored.post.path = row.Text(3);
    stored.post.contentType = row.Text(4);
    stored.post.body = row.Blob(5);
    stored.form.header.source = row.OptionalText(6);
    stored.form.header.xversion = row.OptionalText(7);
    stored.form.header.rater = row.OptionalText(8);
    stored.form.header.externalQuoteImportID = row.OptionalText(9);
    stored.form.header.fileGenName = row.OptionalText(10);
    stored.form.encoding = EncodingFromName(row.Text(11));
    if (row.Integer(12) != 0) {
        stored.form.problems.push_back(row.Text(13));
    }
    return stored;
}

}  // namespace

ImportStore::ImportStore(const std::string& path) : path_(path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw StoreError("cannot open " + path + ": " + why);
    }
    try {
        // Someone reading the file with another tool holds its lock for a moment; wait for
        // that (bounded) rather than fail the post.
        sqlite3_busy_timeout(db_, 5000);
        Execute("PRAGMA foreign_keys = ON");
        CreateSchema();
    } catch (const StoreError& error) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw StoreError(path + ": " + error.what());
    }
}

ImportStore::~ImportStore() {
    Close();
}

void ImportStore::Close() {
    std::lock_guard<std::mutex> hold(lock_);
    if (db_) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

void ImportStore::RequireOpen() const {
    if (!db_) {
        throw StoreError(path_ + " is closed");
    }
}

void ImportStore::Execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw StoreError(why);
    }
}

void ImportStore::CreateSchema() {
    std::int64_t version = 0;
    {
        Statement query(db_, "PRAGMA user_version");
        if (query.Step()) {
            version = query.Integer(0);
        }
    }
    if (version > kSchemaVersion) {
        throw StoreError("made by a later receiver (schema version " + std::to_string(version) + ", this one knows " +
                         std::to_string(kSchemaVersion) + ")");
    }
    if (version == kSchemaVersion) {
        return;
    }
    Execute("BEGIN IMMEDIATE");
    try {
        Execute(kSchema);
        Execute("COMMIT");
    } catch (const StoreError&) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::int64_t ImportStore::Add(const ReceivedPost& post, const DecodedForm& form) {
    std::lock_guard<std::mutex> hold(lock_);
    RequireOpen();
    Execute("BEGIN IMMEDIATE");
    try {
        std::int64_t id = 0;
        {
            Statement insert(db_,
                             "INSERT INTO imports (received_at, peer, path, content_type, raw_body, source, xversion, "
                             "rater, external_quote_import_id, file_gen_name, encoding, malformed, malformed_reason) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            insert.Bind(1, post.receivedAt);
            insert.Bind(2, post.peer);
            insert.Bind(3, post.path);
            insert.Bind(4, post.contentType);
            insert.BindBlob(5, post.body);
            insert.Bind(6, form.header.source);
            insert.Bind(7, form.header.xversion);
            insert.Bind(8, form.header.rater);
            insert.Bind(9, form.header.externalQuoteImportID);
            insert.Bind(10, form.header.fileGenName);
            insert.Bind(11, std::string(EncodingName(form.encoding)));
            insert.Bind(12, std::int64_t{form.Malformed() ? 1 : 0});
            insert.Bind(13, form.Malformed() ? std::optional<std::string>(form.Reason()) : std::nullopt);
            insert.Step();
            id = sqlite3_last_insert_rowid(db_);
        }
        if (!form.lineFields.empty()) {
            Statement insert(db_, "INSERT INTO line_fields (import_id, position, slot, text) VALUES (?, ?, ?, ?)");
            for (std::size_t i = 0; i < form.lineFields.size(); ++i) {
                insert.Bind(1, id);
                insert.Bind(2, static_cast<std::int64_t>(i));
                insert.Bind(3, form.lineFields[i].slot);
                insert.Bind(4, form.lineFields[i].text);
                insert.Step();
                insert.Reset();
            }
        }
        if (!form.recordFields.empty()) {
            Statement insert(db_,
                             "INSERT INTO record_fields (import_id, position, running_number, record_number, "
                             "occurrence, field_number, value) VALUES (?, ?, ?, ?, ?, ?, ?)");
            for (std::size_t i = 0; i < form.recordFields.size(); ++i) {
                const RecordField& field = form.recordFields[i];
                insert.Bind(1, id);
                insert.Bind(2, static_cast<std::int64_t>(i));
                insert.Bind(3, field.running);
                insert.Bind(4, field.record);
                insert.Bind(5, field.occurrence);
                insert.Bind(6, field.field);
                insert.Bind(7, field.value);
                insert.Step();
                insert.Reset();
            }
        }
        Execute("COMMIT");
        return id;
    } catch (const StoreError&) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void ImportStore::LoadFields(StoredImport& stored) {
    if (stored.form.encoding == FieldEncoding::Record) {
        Statement query(db_,
                        "SELECT running_number, record_number, occurrence, field_number, value FROM record_fields "
                        "WHERE import_id = ? ORDER BY position");
        query.Bind(1, stored.id);
        while (query.Step()) {
            stored.form.recordFields.push_back(
                RecordField{query.Integer(0), query.Integer(1), query.Integer(2), query.Integer(3), query.Text(4)});
        }
    } else {
        Statement query(db_, "SELECT slot, text FROM line_fields WHERE import_id = ? ORDER BY position");
        query.Bind(1, stored.id);
        while (query.Step()) {
            stored.form.lineFields.push_back(LineField{query.Integer(0), query.Text(1)});
        }
    }
}

std::vector<StoredImport> ImportStore::FindByExternalId(const std::string& externalQuoteImportId) {
    std::lock_guard<std::mutex> hold(lock_);
    RequireOpen();
    std::vector<StoredImport> found;
    {
        Statement query(db_, (std::string("SELECT ") + kImportColumns +
                              " FROM imports WHERE external_quote_import_id = ? ORDER BY id DESC")
                                 .c_str());
        query.Bind(1, externalQuoteImportId);
        while (query.Step()) {
            found.push_back(ReadImport(query));
        }
    }
    for (auto& stored : found) {
        LoadFields(stored);
    }
    return found;
}

std::optional<StoredImport> ImportStore::FindById(std::int64_t id) {
    std::lock_guard<std::mutex> hold(lock_);
    RequireOpen();
    std::optional<StoredImport> found;
    {
        Statement query(db_, (std::string("SELECT ") + kImportColumns + " FROM imports WHERE id = ?").c_str());
        query.Bind(1, id);
        if (query.Step()) {
            found = ReadImport(query);
        }
    }
    if (found) {
        LoadFields(*found);
    }
    return found;
}

std::vector<ImportSummary> ImportStore::ListNewest(std::size_t limit) {
    std::lock_guard<std::mutex> hold(lock_);
    RequireOpen();
    Statement query(db_,
                    "SELECT id, received_at, path, source, xversion, rater, external_quote_import_id, file_gen_name, "
                    "encoding, malformed, malformed_reason, length(raw_body), "
                    "(SELECT count(*) FROM line_fields WHERE import_id = imports.id) + "
                    "(SELECT count(*) FROM record_fields WHERE import_id = imports.id) "
                    "FROM imports ORDER BY id DESC LIMIT ?");
    query.Bind(1, static_cast<std::int64_t>(limit));
    std::vector<ImportSummary> list;
    while (query.Step()) {
        ImportSummary summary;
        summary.id = query.Integer(0);
        summary.receivedAt = query.Text(1);
        summary.path = query.Text(2);
        summary.header.source = query.OptionalText(3);
        summary.header.xversion = query.OptionalText(4);
        summary.header.rater = query.OptionalText(5);
        summary.header.externalQuoteImportID = query.OptionalText(6);
        summary.header.fileGenName = query.OptionalText(7);
        summary.encoding = EncodingFromName(query.Text(8));
        summary.malformed = query.Integer(9) != 0;
        summary.malformedReason = query.Text(10);
        summary.bodyBytes = query.Integer(11);
        summary.fieldCount = query.Integer(12);
        list.push_back(std::move(summary));
    }
    return list;
}

std::int64_t ImportStore::Count() {
    std::lock_guard<std::mutex> hold(lock_);
    RequireOpen();
    Statement query(db_, "SELECT count(*) FROM imports");
    return query.Step() ? query.Integer(0) : 0;
}

}  // namespace receiver
