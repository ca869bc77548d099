#pragma once

#include <string>

namespace tessel::cli {

// Takes the user's language from the locale and finds tessel's message catalog: in "locale"
// beside the executable (a build) or else in the installed locale folder.
void InitTranslations(const std::string& executableDirectory);

}  // namespace tessel::cli
