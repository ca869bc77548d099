#include "cookies/sqlite/SqlDatabase.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdio>
#include <string>

namespace tessel {

SqlDatabase::SqlDatabase(const std::string& path, int busyWaitMs) {
    Check(
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr));
    if (Ok())
        sqlite3_busy_timeout(db_, busyWaitMs);
}

SqlDatabase::~SqlDatabase() {
    sqlite3_close_v2(db_);
}

bool SqlDatabase::Check(int code) {
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE)
        return true;
    if (status_ == SqlStatus::kOk) {
        const int primary = code & 0xFF;
        status_ = primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? SqlStatus::kBusy
                                                                     : SqlStatus::kError;
        message_ = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    }
    return false;
}

bool SqlDatabase::Exec(std::string_view sql) {
    return Ok() && Check(sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, nullptr));
}

std::int64_t SqlDatabase::Changes() const {
    return sqlite3_changes64(db_);
}

bool SqlDatabase::CopyTo(const std::string& path) {
    SqlStatement copy(*this, "VACUUM INTO ?1");
    copy.Bind(1, path);
    return copy.Run();
}

SqlStatement::SqlStatement(SqlDatabase& database, std::string_view sql) : database_(database) {
    if (database_.Ok()) {
        database_.Check(sqlite3_prepare_v2(database_.db_, sql.data(), static_cast<int>(sql.size()),
                                           &statement_, nullptr));
    }
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(statement_);
}

SqlStatement& SqlStatement::Bind(int index, std::int64_t value) {
    if (statement_ != nullptr)
        database_.Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
}

SqlStatement& SqlStatement::Bind(int index, std::string_view text) {
    if (statement_ != nullptr) {
        database_.Check(sqlite3_bind_text64(statement_, index, text.data(), text.size(),
                                            SQLITE_TRANSIENT, SQLITE_UTF8));
    }
    return *this;
}

SqlStatement& SqlStatement::BindBlob(int index, std::string_view bytes) {
    if (statement_ != nullptr) {
        database_.Check(
            sqlite3_bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
    }
    return *this;
}

bool SqlStatement::Step() {
    if (statement_ == nullptr || !database_.Ok())
        return false;
    const int code = sqlite3_step(statement_);
    database_.Check(code);
    return code == SQLITE_ROW;
}

bool SqlStatement::Run() {
    while (Step()) {
    }
    Reset();
    return database_.Ok();
}

void SqlStatement::Reset() {
    if (statement_ != nullptr) {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
}

std::int64_t SqlStatement::Int(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string SqlStatement::Text(int column) const {
    const void* bytes = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return bytes == nullptr
               ? std::string()
               : std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::string SqlStatement::Value(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
        case SQLITE_INTEGER:
            return "i" + std::to_string(Int(column));
        case SQLITE_FLOAT: {
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", sqlite3_column_double(statement_, column));
            return std::string("r") + text;
        }
        case SQLITE_TEXT:
            return "t" + Text(column);
        case SQLITE_BLOB:
            return "b" + Text(column);
        default:
            return "n";
    }
}

SqlStatement& SqlStatement::BindValue(int index, std::string_view value) {
    const std::string_view rest = value.empty() ? value : value.substr(1);
    switch (value.empty() ? 'n' : value[0]) {
        case 'i': {
            std::int64_t number = 0;
            const auto [end, error] =
                std::from_chars(rest.data(), rest.data() + rest.size(), number);
            if (error != std::errc() || end != rest.data() + rest.size())
                database_.Check(SQLITE_MISMATCH);
            return Bind(index, number);
        }
        case 'r': {
            double number = 0;
            const auto [end, error] =
                std::from_chars(rest.data(), rest.data() + rest.size(), number);
            if (error != std::errc() || end != rest.data() + rest.size())
                database_.Check(SQLITE_MISMATCH);
            if (statement_ != nullptr)
                database_.Check(sqlite3_bind_double(statement_, index, number));
            return *this;
        }
        case 't':
            return Bind(index, rest);
        case 'b':
            return BindBlob(index, rest);
        default:
            if (statement_ != nullptr)
                database_.Check(sqlite3_bind_null(statement_, index));
            return *this;
    }
}

int SqlStatement::Columns() const {
    return statement_ == nullptr ? 0 : sqlite3_column_count(statement_);
}

std::string SqlStatement::ColumnName(int column) const {
    const char* name = sqlite3_column_name(statement_, column);
    return name == nullptr ? std::string() : std::string(name);
}

}  // namespace tessel
