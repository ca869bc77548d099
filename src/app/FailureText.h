#pragma once

#include <string>

#include "cookies/CookieFailure.h"

namespace tessel {

// The window's words for why a cookie or its store failed: one line of Japanese. A failure that
// names no problem keeps the words it came with.
std::string FailureText(const CookieFailure& failure);

// The window's name of a board's text.
std::string FieldText(CookieField field);

}  // namespace tessel
