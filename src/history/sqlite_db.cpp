#include "history/sqlite_db.h"

#include <sqlite3.h>

namespace vantrel {
namespace {

[[noreturn]] void Fail(sqlite3* db, int code) {
    throw SqliteError(code & 0xFF, db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

}  // namespace

SqliteError::SqliteError(int code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    if (rc != SQLITE_OK) Fail(db, rc);
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

bool Rows::Step() {
    const int rc = sqlite3_step(statement_->stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(statement_->db_, rc);
}

void Rows::Run() {
    while (Step()) {
    }
}

std::int64_t Rows::Int(int column) const {
    return sqlite3_column_int64(statement_->stmt_, column);
}

std::string Rows::Text(int column) const {
    const auto* text = sqlite3_column_text(statement_->stmt_, column);
    const int size = sqlite3_column_bytes(statement_->stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), size) : std::string();
}

bool Rows::IsNull(int column) const {
    return sqlite3_column_type(statement_->stmt_, column) == SQLITE_NULL;
}

std::optional<std::int64_t> Rows::OptionalInt(int column) const {
    if (IsNull(column)) return std::nullopt;
    return Int(column);
}

void Statement::Reset() {
    // A statement whose last step failed reports that error again here; the
    // failure was already thrown, so it is not news.
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::BindOne(int index, std::int64_t value) {
    if (const int rc = sqlite3_bind_int64(stmt_, index, value); rc != SQLITE_OK) Fail(db_, rc);
}

void Statement::BindOne(int index, std::string_view value) {
    const int rc = sqlite3_bind_text64(stmt_, index, value.data(), value.size(), SQLITE_TRANSIENT,
                                       SQLITE_UTF8);
    if (rc != SQLITE_OK) Fail(db_, rc);
}

void Statement::BindOne(int index, const std::optional<std::int64_t>& value) {
    if (value) return BindOne(index, *value);
    if (const int rc = sqlite3_bind_null(stmt_, index); rc != SQLITE_OK) Fail(db_, rc);
}

SqliteDb::SqliteDb(const std::filesystem::path& path) {
    const int rc =
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const SqliteError error(rc & 0xFF, db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        sqlite3_close(db_);
        throw error;
    }
    sqlite3_extended_result_codes(db_, 1);
}

SqliteDb::~SqliteDb() {
    cache_.clear();
    sqlite3_close(db_);
}

void SqliteDb::Exec(std::string_view sql) {
    const std::string text(sql);
    if (const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr); rc != SQLITE_OK)
        Fail(db_, rc);
}

std::int64_t SqliteDb::Scalar(std::string_view sql) {
    Statement statement(db_, sql);
    Rows rows = statement.Bind();
    return rows.Step() ? rows.Int(0) : 0;
}

std::string SqliteDb::Text(std::string_view sql) {
    Statement statement(db_, sql);
    Rows rows = statement.Bind();
    return rows.Step() ? rows.Text(0) : std::string();
}

Statement& SqliteDb::Cached(const char* sql) {
    auto& slot = cache_[sql];
    if (!slot) slot = std::make_unique<Statement>(db_, sql);
    return *slot;
}

std::int64_t SqliteDb::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

void SqliteDb::SetBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

void SqliteDb::KeepLogOnClose() {
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

WriteTransaction::WriteTransaction(SqliteDb& db) : db_(db) {
    db_.Exec("BEGIN IMMEDIATE");
}

WriteTransaction::~WriteTransaction() {
    if (done_) return;
    try {
        db_.Exec("ROLLBACK");
    } catch (const SqliteError&) {
        // SQLite rolls back by itself after some errors; nothing is left to undo.
    }
}

void WriteTransaction::Commit() {
    db_.Exec("COMMIT");
    done_ = true;
}

}  // namespace vantrel
