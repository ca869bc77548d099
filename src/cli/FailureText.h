#pragma once

#include <string>

#include "app/BoardWriteBatch.h"
#include "cookies/CookieFailure.h"

namespace tessel::cli {

// tessel's words for why a cookie or its store failed, in the user's language.
std::string FailureText(const CookieFailure& failure);

// tessel's name of a board's text.
std::string FieldText(CookieField field);

// tessel's words for a batch and its undo.
const BatchWords& TesselBatchWords();

// "cannot get the cookie of <board>."
std::string CookieReadFailed(const std::string& board);

}  // namespace tessel::cli
