#include "controls/PropertyBag.h"

namespace tessel {

PropertyBag::Value PropertyBag::ReadProperty(const std::string& name,
                                             const Value& defaultValue) const {
    auto it = entries_.find(name);
    if (it == entries_.end() || it->second.index() != defaultValue.index())
        return defaultValue;
    return it->second;
}

void PropertyBag::WriteProperty(const std::string& name, const Value& value,
                                const Value& defaultValue) {
    if (value == defaultValue) {
        entries_.erase(name);
    } else {
        entries_[name] = value;
    }
}

}  // namespace tessel
