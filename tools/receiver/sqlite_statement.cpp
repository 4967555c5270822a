#include "sqlite_statement.h"

#include <sqlite3.h>

#include <algorithm>

namespace receiver {

void Execute(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw StoreError(why);
    }
}

Statement::Statement(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement_, nullptr) != SQLITE_OK) {
        throw StoreError(std::string("cannot prepare a query: ") + sqlite3_errmsg(db));
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

void Statement::Bind(int index, std::int64_t value) {
    Check(sqlite3_bind_int64(statement_, index, value));
}

void Statement::Bind(int index, const std::string& text) {
    Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
}

void Statement::Bind(int index, const std::optional<std::string>& text) {
    if (text) {
        Bind(index, *text);
    } else {
        Check(sqlite3_bind_null(statement_, index));
    }
}

void Statement::BindTextInPlace(int index, std::string_view text) {
    Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC));
}

void Statement::BindBlobInPlace(int index, std::string_view bytes) {
    // data() of an empty string is never null, so an empty body is stored as an empty blob, not as NULL.
    Check(sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC));
}

void Statement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool Statement::Step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result == SQLITE_DONE) {
        return false;
    }
    throw StoreError(std::string("query failed: ") + sqlite3_errmsg(db_));
}

std::int64_t Statement::Integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

bool Statement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string Statement::Bytes(int column) const {
    return BytesExcerpt(column, static_cast<std::size_t>(-1)).text;
}

Excerpt Statement::BytesExcerpt(int column, std::size_t limit) const {
    // Read as a blob, a text comes back as its bytes, with no conversion.
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, column));
    Excerpt excerpt;
    excerpt.bytes = static_cast<std::int64_t>(size);
    if (bytes) {
        excerpt.text.assign(bytes, std::min(size, limit));
    }
    return excerpt;
}

std::optional<Excerpt> Statement::OptionalExcerpt(int column, std::size_t limit) const {
    if (IsNull(column)) {
        return std::nullopt;
    }
    return BytesExcerpt(column, limit);
}

void Statement::Check(int result) const {
    if (result != SQLITE_OK) {
        throw StoreError(std::string("cannot bind a value: ") + sqlite3_errmsg(db_));
    }
}

WriteTransaction::WriteTransaction(sqlite3* db) : db_(db) {
    Execute(db_, "BEGIN IMMEDIATE");
}

WriteTransaction::~WriteTransaction() {
    if (!done_) {
        // Nothing can be done about a failed rollback here; SQLite rolls back on its own
        // when the connection closes.
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void WriteTransaction::Commit() {
    Execute(db_, "COMMIT");
    done_ = true;
}

}  // namespace receiver
