#include "cli/json/ImportDocument.h"

#include <algorithm>
#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

#include "cli/json/JsonOutput.h"
#include "cli/commands/Preferences.h"

namespace tessel::cli {
namespace {

bool SetText(const Json& value, std::optional<std::string>& field) {
    if (!value.is_string())
        return false;
    field = value.get<std::string>();
    return true;
}

// A whole number as written: 20.0 and 1e1 are refused, so that no fraction is rounded into one.
std::optional<std::int64_t> WholeNumber(const Json& value) {
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > INT64_MAX)
        return std::nullopt;
    if (!value.is_number_integer())
        return std::nullopt;
    return value.get<std::int64_t>();
}

bool SetNumber(const Json& value, bool (*inRange)(std::int64_t),
               std::optional<std::int32_t>& field) {
    const std::optional<std::int64_t> number = WholeNumber(value);
    if (!number || !inRange(*number))
        return false;
    field = static_cast<std::int32_t>(*number);
    return true;
}

bool SetOrder(const Json& value, std::optional<std::int32_t>& field) {
    field = value.is_string() ? ParseOrderKeyword(value.get<std::string>()) : std::nullopt;
    return field.has_value();
}

bool SetUnread(const Json& value, std::optional<std::int32_t>& field) {
    if (!value.is_boolean())
        return false;
    field = value.get<bool>() ? 1 : 0;
    return true;
}

struct Field {
    std::string_view name;
    std::string_view expected;
    bool (*read)(const Json&, PreferenceChanges&);
};

constexpr std::string_view kString = "a string";
constexpr std::string_view kCount = "a whole number from 0 to 50";
constexpr std::string_view kMarker = "a whole number from -32768 to 32767";

const Field kFields[] = {
    {"name", kString, [](const Json& v, PreferenceChanges& c) { return SetText(v, c.postName); }},
    {"mail", kString, [](const Json& v, PreferenceChanges& c) { return SetText(v, c.mail); }},
    {"homePage", kString,
     [](const Json& v, PreferenceChanges& c) { return SetText(v, c.homePage); }},
    {"password", kString,
     [](const Json& v, PreferenceChanges& c) { return SetText(v, c.password); }},
    {"viewCount", kCount,
     [](const Json& v, PreferenceChanges& c) { return SetNumber(v, IsCount, c.viewCount); }},
    {"downloadCount", kCount,
     [](const Json& v, PreferenceChanges& c) { return SetNumber(v, IsCount, c.downloadCount); }},
    {"order", "\"newest\" or \"oldest\"",
     [](const Json& v, PreferenceChanges& c) { return SetOrder(v, c.viewOrder); }},
    {"unread", "true or false",
     [](const Json& v, PreferenceChanges& c) { return SetUnread(v, c.noReadView); }},
    {"noReadPoint", kMarker,
     [](const Json& v, PreferenceChanges& c) { return SetNumber(v, IsMarker, c.noReadPoint); }},
    {"noReadPointR", kMarker,
     [](const Json& v, PreferenceChanges& c) { return SetNumber(v, IsMarker, c.noReadPointR); }},
};

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

bool ReadField(const std::string& key, const Json& value, PreferenceChanges& changes,
               std::string& error) {
    const auto field = std::find_if(std::begin(kFields), std::end(kFields),
                                    [&](const Field& f) { return f.name == key; });
    if (field == std::end(kFields)) {
        error = "unknown field " + Quoted(key);
        return false;
    }
    if (!field->read(value, changes)) {
        error = "field " + Quoted(key) + " must be " + std::string(field->expected);
        return false;
    }
    return true;
}

bool ReadFields(const Json& object, PreferenceChanges& changes, std::string& error) {
    for (const auto& [key, value] : object.items()) {
        if (!ReadField(key, value, changes, error))
            return false;
    }
    return true;
}

std::optional<BoardUpdate> ReadBoard(const std::string& key, const Json& value,
                                     const BoardIndex& index, std::string& error) {
    const std::optional<std::size_t> position = index.FindId(key);
    if (!position) {
        error = "no board has the section name " + Quoted(key);
        return std::nullopt;
    }
    BoardUpdate update{*position, {}};
    if (!value.is_object()) {
        error = "must be an object of preferences";
    } else if (ReadFields(value, update.changes, error)) {
        return update;
    }
    error = "board " + Quoted(key) + ": " + error;
    return std::nullopt;
}

struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr int kMaxDepth = 64;

// Watches the parse for what the library lets through: a member name given twice (it keeps the
// last), nesting deep enough to matter, and more values than a valid document can hold, which is
// refused as soon as it is passed so that a hostile document cannot take the memory.
class ParseGuard {
  public:
    explicit ParseGuard(std::size_t maxValues) : valuesLeft_(maxValues) {}

    bool operator()(int depth, Json::parse_event_t event, Json& parsed) {
        using Event = Json::parse_event_t;
        if (event == Event::object_start || event == Event::array_start) {
            if (depth >= kMaxDepth)
                throw Refused("nested too deeply");
            names_.emplace_back();
        }
        if (event == Event::object_start || event == Event::array_start || event == Event::value) {
            if (valuesLeft_-- == 0)
                throw Refused("more values than the document can hold");
        }
        if (event == Event::object_end || event == Event::array_end)
            names_.pop_back();
        if (event == Event::key)
            Name(depth, parsed.get<std::string>());
        return true;
    }

  private:
    void Name(int depth, const std::string& name) {
        if (depth == 1)
            board_ = name;
        if (names_.back().insert(name).second)
            return;
        if (depth == 1)
            throw Refused("board " + Quoted(name) + " is given twice");
        if (depth == 2)
            throw Refused("board " + Quoted(board_) + ": field " + Quoted(name) +
                          " is given twice");
        throw Refused("member " + Quoted(name) + " is given twice");
    }

    std::size_t valuesLeft_;
    std::vector<std::set<std::string>> names_;
    std::string board_;
};

// The library's message without its exception's name: where, when it says, and what is wrong.
std::string SyntaxError(const Json::exception& failure) {
    std::string what = failure.what();
    what.erase(0, what.find("] ") + 2);
    if (what.starts_with("parse error at "))
        what.erase(0, std::string_view("parse error at ").size());
    return "malformed JSON: " + what;
}

ImportPlan Failed(std::string error) {
    return {{}, std::move(error)};
}

}  // namespace

ImportPlan ReadImport(std::string_view text, const BoardIndex& index) {
    std::string error;
    // The document, each board, and each of a board's fields: a valid document has no more values.
    const std::size_t maxValues = 1 + index.Count() * (1 + std::size(kFields));
    Json document;
    try {
        document = Json::parse(text, ParseGuard(maxValues));
    } catch (const Refused& refusal) {
        return Failed(refusal.what());
    } catch (const Json::exception& failure) {  // a syntax error, or a number past a double's range
        return Failed(SyntaxError(failure));
    }
    if (!document.is_object())
        return Failed("the document must be an object keyed by section name");
    ImportPlan plan;
    std::set<std::size_t> seen;
    for (const auto& [key, value] : document.items()) {
        std::optional<BoardUpdate> update = ReadBoard(key, value, index, error);
        if (!update)
            return Failed(error);
        if (!seen.insert(update->position).second)
            return Failed("board " + Quoted(key) + " is given twice");
        plan.updates.push_back(std::move(*update));
    }
    std::sort(plan.updates.begin(), plan.updates.end(),
              [](const BoardUpdate& a, const BoardUpdate& b) { return a.position < b.position; });
    return plan;
}

}  // namespace tessel::cli
