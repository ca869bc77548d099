#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The text of an undo record (see CookieStore::RecordCookie): a store's tag, then fields of any
// bytes, separated by spaces and each percent-escaped so that the record is printable ASCII.
std::string JoinRecord(std::string_view tag, const std::vector<std::string>& fields);
// Appends one field to a record begun with its tag, as JoinRecord does.
void AppendRecordField(std::string& record, std::string_view field);

// The fields of a record with the given tag; nullopt for another tag or a damaged record.
std::optional<std::vector<std::string>> SplitRecord(std::string_view tag, std::string_view record);

}  // namespace tessel
