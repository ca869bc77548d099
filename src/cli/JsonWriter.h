#pragma once

#include <string>

#include "cli/JsonValue.h"

namespace tessel::cli {

// The document as indented JSON text (two spaces a level), without a final line feed. Text is
// written as UTF-8; only quotes, backslashes and control characters are escaped.
std::string WriteJson(const JsonValue& value);

}  // namespace tessel::cli
