#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessel::cli {

struct JsonMember;

// A JSON document held in memory. Objects keep their members in the order given, so that what we
// write follows the board list. A number keeps its source text: only whole numbers are ever
// asked of it, and a fraction must not be rounded into one.
class JsonValue {
  public:
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

    // Defined where JsonMember is complete, which the vector of members needs.
    JsonValue();
    JsonValue(const JsonValue&);
    JsonValue(JsonValue&&) noexcept;
    JsonValue& operator=(const JsonValue&);
    JsonValue& operator=(JsonValue&&) noexcept;
    ~JsonValue();

    static JsonValue Bool(bool value);
    static JsonValue Integer(std::int64_t value);
    static JsonValue NumberText(std::string text);
    static JsonValue String(std::string text);
    static JsonValue Array();
    static JsonValue Object();

    Kind GetKind() const { return kind_; }
    bool IsBool() const { return kind_ == Kind::kBool; }
    bool IsString() const { return kind_ == Kind::kString; }
    bool IsObject() const { return kind_ == Kind::kObject; }

    bool AsBool() const { return flag_; }
    // The text of a string, or the source text of a number.
    const std::string& Text() const { return text_; }
    // The number when it is written as a whole number that fits; nullopt for anything else.
    std::optional<std::int64_t> AsInteger() const;

    const std::vector<JsonValue>& Items() const { return items_; }
    const std::vector<JsonMember>& Members() const { return members_; }
    void Push(JsonValue item);
    void Add(std::string key, JsonValue value);

  private:
    explicit JsonValue(Kind kind);

    Kind kind_ = Kind::kNull;
    bool flag_ = false;
    std::string text_;
    std::vector<JsonValue> items_;
    std::vector<JsonMember> members_;
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

}  // namespace tessel::cli
