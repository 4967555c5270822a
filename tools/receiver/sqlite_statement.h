// Thin helpers over the SQLite C interface for the store: one prepared statement, and one
// statement run for its effect. Failures throw StoreError with SQLite's own words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "import_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace receiver {

// Runs `sql` (one or more statements, no rows wanted).
void Execute(sqlite3* db, const char* sql);

// One prepared statement, finalized with its scope so no early return can leave one open
// (an open statement would keep sqlite3_close from closing the file).
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void Bind(int index, std::int64_t value);
    void Bind(int index, const std::string& text);
    void Bind(int index, const std::optional<std::string>& text);
    // Binds bytes without copying them: they must stay as they are until the statement is
    // reset or finalized.
    void BindTextInPlace(int index, std::string_view text);
    void BindBlobInPlace(int index, std::string_view bytes);

    // Makes the statement ready to run again with new values.
    void Reset();

    // True while there is a row to read.
    bool Step();

    std::int64_t Integer(int column) const;
    bool IsNull(int column) const;
    // The column's bytes whole (text or blob alike).
    std::string Bytes(int column) const;
    // Its first `limit` bytes and its whole length.
    Excerpt BytesExcerpt(int column, std::size_t limit) const;
    std::optional<Excerpt> OptionalExcerpt(int column, std::size_t limit) const;

private:
    void Check(int result) const;

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// A write transaction (BEGIN IMMEDIATE) that rolls back unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void Commit();

private:
    sqlite3* db_;
    bool done_ = false;
};

}  // namespace receiver
