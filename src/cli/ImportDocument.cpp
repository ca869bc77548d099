#include "cli/ImportDocument.h"

#include <algorithm>
#include <optional>
#include <set>

#include "cli/JsonReader.h"

namespace tessel::cli {
namespace {

bool SetText(const JsonValue& value, std::optional<std::string>& field) {
    if (!value.IsString())
        return false;
    field = value.Text();
    return true;
}

bool SetNumber(const JsonValue& value, bool (*inRange)(std::int64_t),
               std::optional<std::int32_t>& field) {
    const std::optional<std::int64_t> number = value.AsInteger();
    if (!number || !inRange(*number))
        return false;
    field = static_cast<std::int32_t>(*number);
    return true;
}

bool SetOrder(const JsonValue& value, std::optional<std::int32_t>& field) {
    field = value.IsString() ? ParseOrderKeyword(value.Text()) : std::nullopt;
    return field.has_value();
}

bool SetUnread(const JsonValue& value, std::optional<std::int32_t>& field) {
    if (!value.IsBool())
        return false;
    field = value.AsBool() ? 1 : 0;
    return true;
}

struct Field {
    std::string_view name;
    std::string_view expected;
    bool (*read)(const JsonValue&, PreferenceChanges&);
};

constexpr std::string_view kString = "a string";
constexpr std::string_view kCount = "a whole number from 0 to 50";
constexpr std::string_view kMarker = "a whole number from -32768 to 32767";

const Field kFields[] = {
    {"name", kString,
     [](const JsonValue& v, PreferenceChanges& c) { return SetText(v, c.postName); }},
    {"mail", kString, [](const JsonValue& v, PreferenceChanges& c) { return SetText(v, c.mail); }},
    {"homePage", kString,
     [](const JsonValue& v, PreferenceChanges& c) { return SetText(v, c.homePage); }},
    {"password", kString,
     [](const JsonValue& v, PreferenceChanges& c) { return SetText(v, c.password); }},
    {"viewCount", kCount,
     [](const JsonValue& v, PreferenceChanges& c) { return SetNumber(v, IsCount, c.viewCount); }},
    {"downloadCount", kCount,
     [](const JsonValue& v, PreferenceChanges& c) {
         return SetNumber(v, IsCount, c.downloadCount);
     }},
    {"order", "\"newest\" or \"oldest\"",
     [](const JsonValue& v, PreferenceChanges& c) { return SetOrder(v, c.viewOrder); }},
    {"unread", "true or false",
     [](const JsonValue& v, PreferenceChanges& c) { return SetUnread(v, c.noReadView); }},
    {"noReadPoint", kMarker,
     [](const JsonValue& v, PreferenceChanges& c) {
         return SetNumber(v, IsMarker, c.noReadPoint);
     }},
    {"noReadPointR", kMarker,
     [](const JsonValue& v, PreferenceChanges& c) {
         return SetNumber(v, IsMarker, c.noReadPointR);
     }},
};

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

bool ReadField(const JsonMember& member, PreferenceChanges& changes, std::string& error) {
    const auto field = std::find_if(std::begin(kFields), std::end(kFields),
                                    [&](const Field& f) { return f.name == member.key; });
    if (field == std::end(kFields)) {
        error = "unknown field " + Quoted(member.key);
        return false;
    }
    if (!field->read(member.value, changes)) {
        error = "field " + Quoted(member.key) + " must be " + std::string(field->expected);
        return false;
    }
    return true;
}

bool ReadFields(const JsonValue& object, PreferenceChanges& changes, std::string& error) {
    std::set<std::string_view> seen;
    for (const JsonMember& member : object.Members()) {
        if (!seen.insert(member.key).second) {
            error = "field " + Quoted(member.key) + " is given twice";
            return false;
        }
        if (!ReadField(member, changes, error))
            return false;
    }
    return true;
}

std::optional<BoardUpdate> ReadBoard(const JsonMember& member, const BoardIndex& index,
                                     std::string& error) {
    const std::optional<std::size_t> position = index.FindId(member.key);
    if (!position) {
        error = "no board has the section name " + Quoted(member.key);
        return std::nullopt;
    }
    BoardUpdate update{*position, {}};
    if (!member.value.IsObject()) {
        error = "must be an object of preferences";
    } else if (ReadFields(member.value, update.changes, error)) {
        return update;
    }
    error = "board " + Quoted(member.key) + ": " + error;
    return std::nullopt;
}

ImportPlan Failed(std::string error) {
    return {{}, std::move(error)};
}

}  // namespace

ImportPlan ReadImport(std::string_view text, const BoardIndex& index) {
    std::string error;
    // The document, each board, and each of a board's fields: a valid document has no more values.
    const std::size_t maxValues = 1 + index.Count() * (1 + std::size(kFields));
    const std::optional<JsonValue> document = ReadJson(text, error, maxValues);
    if (!document)
        return Failed("malformed JSON: " + error);
    if (!document->IsObject())
        return Failed("the document must be an object keyed by section name");
    ImportPlan plan;
    std::set<std::size_t> seen;
    for (const JsonMember& member : document->Members()) {
        std::optional<BoardUpdate> update = ReadBoard(member, index, error);
        if (!update)
            return Failed(error);
        if (!seen.insert(update->position).second)
            return Failed("board " + Quoted(member.key) + " is given twice");
        plan.updates.push_back(std::move(*update));
    }
    std::sort(plan.updates.begin(), plan.updates.end(),
              [](const BoardUpdate& a, const BoardUpdate& b) { return a.position < b.position; });
    return plan;
}

}  // namespace tessel::cli
