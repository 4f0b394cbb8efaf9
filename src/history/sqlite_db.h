#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace vantrel {

// A failed SQLite call: `code` is the primary result code (SQLITE_CORRUPT, SQLITE_FULL, ...).
class SqliteError : public std::runtime_error {
  public:
    SqliteError(int code, const std::string& message);
    int Code() const { return code_; }

  private:
    int code_;
};

class Rows;

// One prepared statement, kept for reuse. Bind() hands out its rows; the
// statement is reset when they go, so no half-read query holds a read
// transaction (and an old snapshot) open between calls.
class Statement {
  public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    template <typename... Values>
    Rows Bind(const Values&... values);

  private:
    friend class Rows;
    void Reset();
    void BindOne(int index, std::int64_t value);
    void BindOne(int index, int value) { BindOne(index, static_cast<std::int64_t>(value)); }
    void BindOne(int index, std::string_view value);
    void BindOne(int index, const std::string& value) { BindOne(index, std::string_view(value)); }
    void BindOne(int index, const char* value) { BindOne(index, std::string_view(value)); }
    void BindOne(int index, const std::optional<std::int64_t>& value);

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// The rows of one run of a statement. Step() returns whether a row is there to read.
class Rows {
  public:
    explicit Rows(Statement& statement) : statement_(&statement) {}
    ~Rows() { statement_->Reset(); }
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;

    bool Step();
    // Steps through every row; for statements whose rows do not matter.
    void Run();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    bool IsNull(int column) const;
    std::optional<std::int64_t> OptionalInt(int column) const;

  private:
    Statement* statement_;
};

template <typename... Values>
Rows Statement::Bind(const Values&... values) {
    int index = 0;
    (BindOne(++index, values), ...);
    return Rows(*this);
}

// One connection. Statements made through Cached() live as long as it does,
// so each SQL text is compiled once.
class SqliteDb {
  public:
    // Opens (creating) the file read-write; throws SqliteError.
    explicit SqliteDb(const std::filesystem::path& path);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    void Exec(std::string_view sql);
    // The first column of the first row of a one-off statement.
    std::int64_t Scalar(std::string_view sql);
    std::string Text(std::string_view sql);
    Statement& Cached(const char* sql);
    std::int64_t LastInsertId() const;
    void SetBusyTimeout(int milliseconds);
    // Closing then leaves the write-ahead log as it is instead of copying it
    // into the file: a damaged file is moved aside as it was found.
    void KeepLogOnClose();

  private:
    sqlite3* db_ = nullptr;
    std::unordered_map<const char*, std::unique_ptr<Statement>> cache_;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back when left without Commit().
// Taking the write lock at the start lets the busy time-out do the waiting:
// a read that later turns into a write could fail at once.
class WriteTransaction {
  public:
    explicit WriteTransaction(SqliteDb& db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void Commit();

  private:
    SqliteDb& db_;
    bool done_ = false;
};

}  // namespace vantrel
