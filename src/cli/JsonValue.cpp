#include "cli/JsonValue.h"

#include <charconv>

namespace tessel::cli {

JsonValue JsonValue::Bool(bool value) {
    JsonValue json(Kind::kBool);
    json.flag_ = value;
    return json;
}

JsonValue JsonValue::Integer(std::int64_t value) {
    return NumberText(std::to_string(value));
}

JsonValue JsonValue::NumberText(std::string text) {
    JsonValue json(Kind::kNumber);
    json.text_ = std::move(text);
    return json;
}

JsonValue JsonValue::String(std::string text) {
    JsonValue json(Kind::kString);
    json.text_ = std::move(text);
    return json;
}

JsonValue JsonValue::Array() {
    return JsonValue(Kind::kArray);
}

JsonValue JsonValue::Object() {
    return JsonValue(Kind::kObject);
}

std::optional<std::int64_t> JsonValue::AsInteger() const {
    if (kind_ != Kind::kNumber)
        return std::nullopt;
    std::int64_t value = 0;
    const char* end = text_.data() + text_.size();
    const auto [stop, error] = std::from_chars(text_.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

JsonValue::JsonValue() = default;
JsonValue::JsonValue(const JsonValue&) = default;
JsonValue::JsonValue(JsonValue&&) noexcept = default;
JsonValue& JsonValue::operator=(const JsonValue&) = default;
JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;
JsonValue::~JsonValue() = default;
JsonValue::JsonValue(Kind kind) : kind_(kind) {}

void JsonValue::Push(JsonValue item) {
    items_.push_back(std::move(item));
}

void JsonValue::Add(std::string key, JsonValue value) {
    members_.push_back({std::move(key), std::move(value)});
}

}  // namespace tessel::cli
