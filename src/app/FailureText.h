#pragma once

#include <string>

#include "app/BoardWriteBatch.h"
#include "cookies/CookieFailure.h"

namespace tessel {

// The window's words for why a cookie or its store failed: one line of Japanese.
std::string FailureText(const CookieFailure& failure);

// The window's name of a board's text.
std::string FieldText(CookieField field);

// The window's words for a batch and its undo.
const BatchWords& WindowBatchWords();

}  // namespace tessel
