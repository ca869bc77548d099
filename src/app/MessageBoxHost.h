#pragma once

#include <string>

namespace tessel {

enum class MessageIcon { kNone, kStop, kInformation };

// Modal message boxes with an OK button only. ShowMessage returns when the user has closed the box.
class MessageBoxHost {
  public:
    virtual ~MessageBoxHost() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
};

}  // namespace tessel
