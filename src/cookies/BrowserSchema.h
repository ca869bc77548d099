#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cookies/sqlite/SqlDatabase.h"

namespace tessel {

// A column of a browser's cookie table that the program writes: the value it writes there (a
// parameter or a constant) and the schema versions that have the column.
struct SchemaColumn {
    std::string_view name;
    std::string_view value;
    std::int64_t since = 0;
    std::int64_t until = std::numeric_limits<std::int64_t>::max();
};

// The names of the columns that version has.
std::vector<std::string_view> ColumnsAt(std::span<const SchemaColumn> columns,
                                        std::int64_t version);

// "INSERT INTO table (name, ...) VALUES (value, ...)" over the columns that version has.
std::string InsertAt(std::string_view table, std::span<const SchemaColumn> columns,
                     std::int64_t version);

// The first of columns that table lacks, or empty when it has them all (or cannot be read: the
// database then records the failure).
std::optional<std::string> MissingColumn(SqlDatabase& database, std::string_view table,
                                         std::span<const std::string_view> columns);

// The first row's first column of a query that takes no parameters; empty when there is no row.
std::optional<std::int64_t> QueryInteger(SqlDatabase& database, std::string_view sql);

// "?1, ?2, ..., ?count" for a statement's IN list, numbered from first.
std::string Placeholders(int first, std::size_t count);

}  // namespace tessel
