#include "cookies/BrowserSchema.h"

#include <set>

namespace tessel {

std::vector<std::string_view> ColumnsAt(std::span<const SchemaColumn> columns,
                                        std::int64_t version) {
    std::vector<std::string_view> names;
    for (const SchemaColumn& column : columns) {
        if (column.since <= version && version <= column.until)
            names.push_back(column.name);
    }
    return names;
}

std::string InsertAt(std::string_view table, std::span<const SchemaColumn> columns,
                     std::int64_t version) {
    std::string names, values;
    for (const SchemaColumn& column : columns) {
        if (column.since > version || version > column.until)
            continue;
        names += (names.empty() ? "" : ", ") + std::string(column.name);
        values += (values.empty() ? "" : ", ") + std::string(column.value);
    }
    return "INSERT INTO " + std::string(table) + " (" + names + ") VALUES (" + values + ")";
}

std::optional<std::string> MissingColumn(SqlDatabase& database, std::string_view table,
                                         std::span<const std::string_view> columns) {
    SqlStatement info(database, "SELECT name FROM pragma_table_info(?1)");
    info.Bind(1, table);
    std::set<std::string, std::less<>> present;
    while (info.Step())
        present.insert(info.Text(0));
    if (!database.Ok())
        return std::nullopt;
    for (const std::string_view column : columns) {
        if (present.find(column) == present.end())
            return std::string(column);
    }
    return std::nullopt;
}

std::optional<std::int64_t> QueryInteger(SqlDatabase& database, std::string_view sql) {
    SqlStatement query(database, sql);
    if (!query.Step())
        return std::nullopt;
    return query.Int(0);
}

std::string Placeholders(int first, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            text += ", ";
        text += "?" + std::to_string(first + static_cast<int>(i));
    }
    return text;
}

}  // namespace tessel
