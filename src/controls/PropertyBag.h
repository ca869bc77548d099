#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace tessel {

// The saved settings of one control in its window's stored layout: named Long or Boolean values
// under the control's class identifier. A value equal to its default is not stored, so a control at
// its defaults stores nothing.
class PropertyBag {
  public:
    using Value = std::variant<std::int32_t, bool>;

    explicit PropertyBag(std::string classId) : classId_(std::move(classId)) {}

    const std::string& ClassId() const { return classId_; }

    // The stored value of name, or defaultValue when the bag holds none (or one of another type).
    Value ReadProperty(const std::string& name, const Value& defaultValue) const;

    // Stores value under name, or removes the entry when value equals defaultValue.
    void WriteProperty(const std::string& name, const Value& value, const Value& defaultValue);

    const std::map<std::string, Value>& Entries() const { return entries_; }

  private:
    std::string classId_;
    std::map<std::string, Value> entries_;
};

}  // namespace tessel
