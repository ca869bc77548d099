#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/JsonValue.h"

namespace tessel::cli {

// Reads one JSON document (RFC 8259): strings must be well-formed UTF-8 and may not hold a lone
// surrogate, and nothing but white space may follow the value. Nesting deeper than 64 levels is
// refused, so that hostile input cannot exhaust the stack. On failure, error tells the line and
// column (counted in bytes, from 1) and what was wrong. A UTF-8 byte-order mark is skipped. A
// document of more than maxValues values is refused as soon as the reader gets there, so that
// a caller who knows how many a valid document can hold bounds the memory a hostile one takes.
std::optional<JsonValue> ReadJson(std::string_view text, std::string& error,
                                  std::size_t maxValues = SIZE_MAX);

}  // namespace tessel::cli
