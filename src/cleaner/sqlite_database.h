// A browser's SQLite database as the browser parsers edit it: opened for reading and writing,
// never created, with every failure sorted into what the user is told — held by the running
// browser, damaged, refused — and statements that own their handles. The only code that
// includes sqlite3.h.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace lumo {

enum class DatabaseFailure {
    InUse,  // locked by another program (SQLITE_BUSY, SQLITE_LOCKED)
    Damaged,  // not a database, or a damaged or truncated one
    Refused,  // cannot be opened or written (permissions, read-only file or medium)
    Other,
};

class DatabaseError : public std::runtime_error {
public:
    DatabaseError(int code, const std::string& message);
    // What an integrity check found, as the error of a damaged database.
    static DatabaseError Damaged(const std::string& finding);
    int Code() const { return code_; }
    DatabaseFailure Failure() const;

private:
    int code_;
};

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    SqliteStatement(SqliteStatement&&) noexcept = default;
    SqliteStatement& operator=(SqliteStatement&&) noexcept = default;

    // True while there is a row; false when done. Throws DatabaseError.
    bool Step();
    void Reset();
    SqliteStatement& Bind(int index, int64_t value);
    SqliteStatement& Bind(int index, std::string_view text);

    int64_t Int(int column) const;
    std::string Text(int column) const;
    bool IsNull(int column) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* stmt) const;
    };
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

class SqliteDatabase {
public:
    // Opens the existing database `path` (UTF-8) for reading and writing; never creates one.
    // Waits at most `busyMilliseconds` for a lock another program holds. Throws DatabaseError.
    SqliteDatabase(const std::string& path, int busyMilliseconds);

    void Exec(std::string_view sql);
    SqliteStatement Prepare(std::string_view sql);

    bool HasTable(std::string_view table);
    bool HasColumn(std::string_view table, std::string_view column);
    // The first row's first column as a number, for counts and pragmas.
    int64_t QueryInt(std::string_view sql);
    // The first row's first column as text ("" when there is no row).
    std::string QueryText(std::string_view sql);

    // Starts a transaction that writes: fails at once with InUse while another program holds
    // the database.
    void BeginWrite() { Exec("BEGIN IMMEDIATE"); }
    // Starts a transaction that only reads (fails with InUse only when another program holds
    // the database exclusively).
    void BeginRead();
    void Commit() { Exec("COMMIT"); }
    // Ends any open transaction without its changes; never throws.
    void Rollback() noexcept;
    // "ok" when the quick integrity check finds nothing wrong, else its first finding.
    std::string QuickCheck();

    sqlite3* Handle() const { return db_.get(); }

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Closer> db_;
};

}  // namespace lumo
