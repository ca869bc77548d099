#pragma once

#include <string>

#include "cookies/CookieFailure.h"

namespace tessel::cli {

// tessel's words for why a cookie or its store failed, in the user's language. A failure that
// names no problem keeps the words it came with.
std::string FailureText(const CookieFailure& failure);

// tessel's name of a board's text.
std::string FieldText(CookieField field);

}  // namespace tessel::cli
