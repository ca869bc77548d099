#include "cli/Translate.h"

namespace tessel::cli {

// No message catalog on Windows yet: tessel.exe's own text stays in English.
const char* Tr(const char* english) {
    return english;
}

void InitTranslations(const std::string&) {}

}  // namespace tessel::cli
