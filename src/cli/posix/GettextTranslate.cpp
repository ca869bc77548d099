// Tr on Linux: GNU gettext, with the catalog "tessel".
#include <libintl.h>
#include <sys/stat.h>

#include <clocale>
#include <string>
#include <utility>

#include "cli/Translate.h"

namespace tessel::cli {
namespace {

constexpr const char* kDomain = "tessel";

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

void InitTranslations(const std::string& executableDirectory) {
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

const char* Tr(const char* english) {
    return dgettext(kDomain, english);
}

}  // namespace tessel::cli
