#include "cookies/sqlite/SqlDatabase.h"

#include <sqlite3.h>
#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <charconv>
#include <cstdio>
#include <string>

namespace tessel {
namespace {

// The SQLite calls used, each looked up by its name with "sqlite3_" before it.
// clang-format off
#define TESSEL_SQLITE_CALLS(X) \
    X(bind_blob64) X(bind_double) X(bind_int64) X(bind_null) X(bind_text64) X(busy_timeout) \
    X(changes64) X(clear_bindings) X(close_v2) X(column_blob) X(column_bytes) X(column_count) \
    X(column_double) X(column_int64) X(column_name) X(column_type) X(errmsg) X(errstr) X(exec) \
    X(finalize) X(open_v2) X(prepare_v2) X(reset) X(step)
// clang-format on

// SQLite is opened when a browser's database first is, not at every start: most commands never
// touch one, and binding the library was most of the dynamic loader's work at a start.
struct SqliteLibrary {
#define TESSEL_SQLITE_MEMBER(name) decltype(&sqlite3_##name) name = nullptr;
    TESSEL_SQLITE_CALLS(TESSEL_SQLITE_MEMBER)
#undef TESSEL_SQLITE_MEMBER
    bool loaded = false;
};

const SqliteLibrary& Sqlite() {
    static const SqliteLibrary library = [] {
        SqliteLibrary found;
#ifdef _WIN32
        // The Windows programs carry SQLite within them.
#define TESSEL_SQLITE_LINKED(name) found.name = &sqlite3_##name;
        TESSEL_SQLITE_CALLS(TESSEL_SQLITE_LINKED)
#undef TESSEL_SQLITE_LINKED
        found.loaded = true;
        return found;
#else
        // Kept open for the life of the process.
        void* handle = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return found;
        bool all = true;
#define TESSEL_SQLITE_FIND(name)                                                          \
    found.name = reinterpret_cast<decltype(found.name)>(dlsym(handle, "sqlite3_" #name)); \
    all = all && found.name != nullptr;
        TESSEL_SQLITE_CALLS(TESSEL_SQLITE_FIND)
#undef TESSEL_SQLITE_FIND
        found.loaded = all;
        return found;
#endif
    }();
    return library;
}

}  // namespace

SqlDatabase::SqlDatabase(const std::string& path, int busyWaitMs) {
    if (!Sqlite().loaded) {
        status_ = SqlStatus::kError;
        message_ = "SQLite (libsqlite3.so.0) を読み込めません";
        return;
    }
    Check(
        Sqlite().open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr));
    if (Ok())
        Sqlite().busy_timeout(db_, busyWaitMs);
}

SqlDatabase::~SqlDatabase() {
    if (db_ != nullptr)
        Sqlite().close_v2(db_);
}

bool SqlDatabase::Check(int code) {
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE)
        return true;
    if (status_ == SqlStatus::kOk) {
        const int primary = code & 0xFF;
        status_ = primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? SqlStatus::kBusy
                                                                     : SqlStatus::kError;
        message_ = db_ != nullptr ? Sqlite().errmsg(db_) : Sqlite().errstr(code);
    }
    return false;
}

bool SqlDatabase::Exec(std::string_view sql) {
    return Ok() && Check(Sqlite().exec(db_, std::string(sql).c_str(), nullptr, nullptr, nullptr));
}

std::int64_t SqlDatabase::Changes() const {
    return db_ == nullptr ? 0 : Sqlite().changes64(db_);
}

bool SqlDatabase::CopyTo(const std::string& path) {
    SqlStatement copy(*this, "VACUUM INTO ?1");
    copy.Bind(1, path);
    return copy.Run();
}

SqlStatement::SqlStatement(SqlDatabase& database, std::string_view sql) : database_(database) {
    if (database_.Ok()) {
        database_.Check(Sqlite().prepare_v2(database_.db_, sql.data(), static_cast<int>(sql.size()),
                                            &statement_, nullptr));
    }
}

SqlStatement::~SqlStatement() {
    if (statement_ != nullptr)
        Sqlite().finalize(statement_);
}

SqlStatement& SqlStatement::Bind(int index, std::int64_t value) {
    if (statement_ != nullptr)
        database_.Check(Sqlite().bind_int64(statement_, index, value));
    return *this;
}

SqlStatement& SqlStatement::Bind(int index, std::string_view text) {
    if (statement_ != nullptr) {
        database_.Check(Sqlite().bind_text64(statement_, index, text.data(), text.size(),
                                             SQLITE_TRANSIENT, SQLITE_UTF8));
    }
    return *this;
}

SqlStatement& SqlStatement::BindBlob(int index, std::string_view bytes) {
    if (statement_ != nullptr) {
        database_.Check(
            Sqlite().bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
    }
    return *this;
}

bool SqlStatement::Step() {
    if (statement_ == nullptr || !database_.Ok())
        return false;
    const int code = Sqlite().step(statement_);
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
        Sqlite().reset(statement_);
        Sqlite().clear_bindings(statement_);
    }
}

std::int64_t SqlStatement::Int(int column) const {
    return Sqlite().column_int64(statement_, column);
}

std::string SqlStatement::Text(int column) const {
    const void* bytes = Sqlite().column_blob(statement_, column);
    const int size = Sqlite().column_bytes(statement_, column);
    return bytes == nullptr
               ? std::string()
               : std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::string SqlStatement::Value(int column) const {
    switch (Sqlite().column_type(statement_, column)) {
        case SQLITE_INTEGER:
            return "i" + std::to_string(Int(column));
        case SQLITE_FLOAT: {
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", Sqlite().column_double(statement_, column));
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
                database_.Check(Sqlite().bind_double(statement_, index, number));
            return *this;
        }
        case 't':
            return Bind(index, rest);
        case 'b':
            return BindBlob(index, rest);
        default:
            if (statement_ != nullptr)
                database_.Check(Sqlite().bind_null(statement_, index));
            return *this;
    }
}

int SqlStatement::Columns() const {
    return statement_ == nullptr ? 0 : Sqlite().column_count(statement_);
}

std::string SqlStatement::ColumnName(int column) const {
    const char* name = Sqlite().column_name(statement_, column);
    return name == nullptr ? std::string() : std::string(name);
}

}  // namespace tessel
