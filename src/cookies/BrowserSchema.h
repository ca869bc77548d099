#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cookies/sqlite/SqlDatabase.h"

namespace tessel {

// The first of columns that table lacks, or empty when it has them all (or cannot be read: the
// database then records the failure).
std::optional<std::string> MissingColumn(SqlDatabase& database, std::string_view table,
                                         std::span<const std::string_view> columns);

// The first row's first column of a query that takes no parameters; empty when there is no row.
std::optional<std::int64_t> QueryInteger(SqlDatabase& database, std::string_view sql);

// "?1, ?2, ..., ?count" for a statement's IN list, numbered from first.
std::string Placeholders(int first, std::size_t count);

}  // namespace tessel
