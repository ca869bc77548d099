// Tr on Windows: the Japanese catalog compiled into the program, used when the user's interface
// language is Japanese (Windows has no gettext to read a .mo file at run time).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "cli/Translate.h"

namespace tessel::cli {
namespace {

struct CatalogEntry {
    const char* english;
    const char* translation;
};

#include "cli/JapaneseCatalog.inc"

bool japanese = false;

}  // namespace

void InitTranslations(const std::string&) {
    japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

const char* Tr(const char* english) {
    if (!japanese)
        return english;
    const auto less = [](const CatalogEntry& entry, const char* text) {
        return std::strcmp(entry.english, text) < 0;
    };
    const auto* found = std::lower_bound(std::begin(kCatalog), std::end(kCatalog), english, less);
    return found != std::end(kCatalog) && std::strcmp(found->english, english) == 0
               ? found->translation
               : english;
}

}  // namespace tessel::cli
