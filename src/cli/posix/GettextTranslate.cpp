// Tr on Linux: GNU gettext, with the catalog "tessel".
#include "cli/posix/GettextTranslate.h"

#include <libintl.h>
#include <sys/stat.h>

#include <clocale>

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
    const std::string besideBuild = executableDirectory + "/locale";
    bindtextdomain(kDomain, IsDirectory(besideBuild) ? besideBuild.c_str() : TESSEL_LOCALE_DIR);
    bind_textdomain_codeset(kDomain, "UTF-8");  // all of tessel's text is UTF-8
}

const char* Tr(const char* english) {
    return dgettext(kDomain, english);
}

}  // namespace tessel::cli
