#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tessel {

enum class SqlStatus { kOk, kBusy, kError };

class SqlDatabase;

// A prepared statement. Failures are recorded on the database (Status, Message), so that a run
// of calls can be checked once at its end.
class SqlStatement {
  public:
    SqlStatement(SqlDatabase& database, std::string_view sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    SqlStatement& Bind(int index, std::int64_t value);
    SqlStatement& Bind(int index, std::string_view text);
    SqlStatement& BindBlob(int index, std::string_view bytes);

    // True while a row is there to read; false when done or failed.
    bool Step();
    // Steps to the end and resets, for statements that return no rows.
    bool Run();
    void Reset();

    std::int64_t Int(int column) const;
    std::string Text(int column) const;  // text or blob bytes; empty for NULL

    // A column's value with its type, as text that BindValue takes back exactly: "n" (NULL),
    // "i" and an integer, "r" and a real, "t" and text, "b" and blob bytes.
    std::string Value(int column) const;
    SqlStatement& BindValue(int index, std::string_view value);
    int Columns() const;
    std::string ColumnName(int column) const;

  private:
    SqlDatabase& database_;
    sqlite3_stmt* statement_ = nullptr;
};

// One connection to an SQLite database file that is never created: a browser's database is used
// only where the browser made it. Waits up to busyWaitMs for another connection's lock, then
// reports kBusy.
class SqlDatabase {
  public:
    explicit SqlDatabase(const std::string& path, int busyWaitMs = 5000);
    ~SqlDatabase();
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    bool Exec(std::string_view sql);
    std::int64_t Changes() const;

    // Copies the whole database into a new file (which must not exist) while nothing is written.
    bool CopyTo(const std::string& path);

    SqlStatus Status() const { return status_; }
    const std::string& Message() const { return message_; }
    bool Ok() const { return status_ == SqlStatus::kOk; }

    // Records the outcome of an SQLite call; keeps the first failure.
    bool Check(int code);

  private:
    friend class SqlStatement;
    sqlite3* db_ = nullptr;
    SqlStatus status_ = SqlStatus::kOk;
    std::string message_;
};

}  // namespace tessel
