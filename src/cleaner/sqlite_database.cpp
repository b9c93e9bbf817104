// The SQLite side of the browser parsers.
#include "cleaner/sqlite_database.h"

#include <sqlite3.h>

namespace lumo {

namespace {

[[noreturn]] void Fail(sqlite3* db, int code) {
    throw DatabaseError(code, db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

void Check(sqlite3* db, int code) {
    if (code != SQLITE_OK)
        Fail(db, code);
}

}  // namespace

DatabaseError::DatabaseError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}

DatabaseError DatabaseError::Damaged(const std::string& finding) { return DatabaseError(SQLITE_CORRUPT, finding); }

DatabaseFailure DatabaseError::Failure() const {
    switch (code_ & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DatabaseFailure::InUse;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return DatabaseFailure::Damaged;
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return DatabaseFailure::Refused;
    default:
        return DatabaseFailure::Other;
    }
}

void SqliteStatement::Finalizer::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

bool SqliteStatement::Step() {
    int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail(db_, rc);
}

void SqliteStatement::Reset() {
    sqlite3_reset(stmt_.get());
    sqlite3_clear_bindings(stmt_.get());
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
    Check(db_, sqlite3_bind_int64(stmt_.get(), index, value));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
    Check(db_, sqlite3_bind_text(stmt_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
}

int64_t SqliteStatement::Int(int column) const { return sqlite3_column_int64(stmt_.get(), column); }

std::string SqliteStatement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_.get(), column);
    int n = sqlite3_column_bytes(stmt_.get(), column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(n)) : std::string();
}

bool SqliteStatement::IsNull(int column) const { return sqlite3_column_type(stmt_.get(), column) == SQLITE_NULL; }

void SqliteDatabase::Closer::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

SqliteDatabase::SqliteDatabase(const std::string& path, int busyMilliseconds) {
    sqlite3* raw = nullptr;
    // NOFOLLOW: a database that is a symbolic link is refused rather than written through (the
    // callers also check for links, for the systems where SQLite cannot).
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK)
        Fail(raw, rc);
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, busyMilliseconds);
    // Closing never copies a write-ahead log into the database: a Show, or a look at a damaged
    // database, leaves every byte of both as the browser left them. A clear copies its own
    // changes in on purpose (wal_checkpoint after VACUUM).
    Check(raw, sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr));
}

void SqliteDatabase::Exec(std::string_view sql) {
    std::string text(sql);
    Check(db_.get(), sqlite3_exec(db_.get(), text.c_str(), nullptr, nullptr, nullptr));
}

SqliteStatement SqliteDatabase::Prepare(std::string_view sql) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_.get(), sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
    SqliteStatement statement(db_.get(), stmt);
    Check(db_.get(), rc);
    return statement;
}

bool SqliteDatabase::HasTable(std::string_view table) {
    SqliteStatement s = Prepare("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ?1");
    s.Bind(1, table);
    return s.Step();
}

bool SqliteDatabase::HasColumn(std::string_view table, std::string_view column) {
    SqliteStatement s = Prepare("SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2");
    s.Bind(1, table).Bind(2, column);
    return s.Step();
}

int64_t SqliteDatabase::QueryInt(std::string_view sql) {
    SqliteStatement s = Prepare(sql);
    return s.Step() ? s.Int(0) : 0;
}

std::string SqliteDatabase::QueryText(std::string_view sql) {
    SqliteStatement s = Prepare(sql);
    return s.Step() ? s.Text(0) : std::string();
}

void SqliteDatabase::BeginRead() {
    Exec("BEGIN");
    // A deferred transaction takes its lock at the first read.
    QueryInt("SELECT count(*) FROM main.sqlite_master");
}

void SqliteDatabase::Rollback() noexcept {
    if (db_ && !sqlite3_get_autocommit(db_.get()))
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

std::string SqliteDatabase::QuickCheck() { return QueryText("PRAGMA main.quick_check(1)"); }

}  // namespace lumo
