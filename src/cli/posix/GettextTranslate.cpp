// Tr on Linux: GNU gettext, with the catalog "tessel".
#include <libintl.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "cli/Translate.h"

namespace tessel::cli {
namespace {

constexpr const char* kDomain = "tessel";

// Set when the environment asks for the C locale, whose messages are tessel's own English.
bool englishOnly = false;

// Whether gettext would answer in English whatever catalogs are installed: the messages locale
// is C or POSIX, alone or with a character set, and no LANGUAGE list says otherwise. Loading the
// locale and looking for catalogs is then wasted.
bool AsksForEnglish() {
    if (const char* languages = std::getenv("LANGUAGE"); languages != nullptr && *languages != 0)
        return false;
    std::string_view locale = "C";
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(variable); value != nullptr && *value != 0) {
            locale = value;
            break;
        }
    }
    return locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

void InitTranslations(const std::string& executableDirectory) {
    englishOnly = AsksForEnglish();
    if (englishOnly) {
        // The built-in locale, which needs no file.
        std::setlocale(LC_MESSAGES, "C");
        std::setlocale(LC_CTYPE, "C");
        return;
    }
    // Only the language of messages and the character set: numbers and the like keep the C rules
    // that every file format here is written in.
    std::setlocale(LC_MESSAGES, "");
    std::setlocale(LC_CTYPE, "");
    // A build's catalog beside it, an installed copy's under its own prefix wherever that is (an
    // unpacked package), then the configured place.
    std::string directory = TESSEL_LOCALE_DIR;
    for (std::string candidate :
         {executableDirectory + "/locale", executableDirectory + "/" TESSEL_LOCALE_FROM_BINDIR}) {
        if (IsDirectory(candidate)) {
            directory = std::move(candidate);
            break;
        }
    }
    bindtextdomain(kDomain, directory.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");  // all of tessel's text is UTF-8
}

const char* Tr(const char* text) {
    return englishOnly ? text : dgettext(kDomain, text);
}

}  // namespace tessel::cli
