#include "posix/PlatformOptions.h"

#include <cstdlib>
#include <filesystem>

#include "posix/LinuxBrowserStores.h"
#include "posix/NetscapeCookieJar.h"

namespace tessel {
namespace {

// Matches "--name VALUE" or "--name=VALUE"; value is set when matched.
OptionMatch MatchValued(std::string_view name, int argc, char** argv, int& index,
                        std::string& value, std::string& error) {
    const std::string_view arg = argv[index];
    if (arg == name) {
        if (index + 1 >= argc) {
            error = std::string(name) + " needs a value";
            return OptionMatch::kError;
        }
        value = argv[++index];
        return OptionMatch::kTaken;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        value = std::string(arg.substr(name.size() + 1));
        return OptionMatch::kTaken;
    }
    return OptionMatch::kNotOurs;
}

std::string JarPath(const PlatformOptions& options) {
    return options.cookieStore && !options.cookieStore->path.empty() ? options.cookieStore->path
                                                                     : DefaultCookieJarPath();
}

const char* GetEnvironment(const char* name) {
    return std::getenv(name);
}

bool IsFirefox(const PlatformOptions& options) {
    return options.cookieStore && options.cookieStore->kind == CookieStoreLocation::Kind::kFirefox;
}

const char* CharsetName(CookieCharset charset) {
    return charset == CookieCharset::kUtf8 ? "UTF-8" : "Shift_JIS";
}

}  // namespace

CookieCharset ChosenCharset(const PlatformOptions& options) {
    // Firefox turns the Shift_JIS bytes of a cookie into U+FFFD: only UTF-8 survives there.
    return options.charset.value_or(IsFirefox(options) ? CookieCharset::kUtf8
                                                       : CookieCharset::kCp932);
}

OptionMatch TakePlatformOption(int argc, char** argv, int& index, PlatformOptions& options,
                               std::string& error) {
    std::string value;
    OptionMatch match = MatchValued("--board-list", argc, argv, index, value, error);
    if (match == OptionMatch::kTaken) {
        if (value.empty()) {
            error = "--board-list needs a file name";
            return OptionMatch::kError;
        }
        options.boardList = value;
    }
    if (match != OptionMatch::kNotOurs)
        return match;

    match = MatchValued("--cookie-store", argc, argv, index, value, error);
    if (match == OptionMatch::kTaken) {
        CookieStoreChoice choice = ParseCookieStoreArgument(value);
        if (!choice.location) {
            error = choice.error;
            return OptionMatch::kError;
        }
        options.cookieStore = std::move(choice.location);
    }
    if (match != OptionMatch::kNotOurs)
        return match;

    match = MatchValued("--cookie-charset", argc, argv, index, value, error);
    if (match == OptionMatch::kTaken) {
        const CookieCharsetChoice choice = ParseCookieCharset(value);
        if (!choice.charset) {
            error = choice.error;
            return OptionMatch::kError;
        }
        options.charset = *choice.charset;
    }
    return match;
}

std::unique_ptr<CookieStore> OpenCookieStore(const PlatformOptions& options, Clock& clock,
                                             std::string& error, std::function<void()> lockNotice) {
    if (options.cookieStore && options.cookieStore->kind != CookieStoreLocation::Kind::kJar)
        return OpenBrowserStore(*options.cookieStore, clock, ChosenCharset(options), GetEnvironment,
                                error);
    const std::string path = JarPath(options);
    if (path.empty()) {
        error = "no place for the cookie jar: set HOME or XDG_DATA_HOME, or give --cookie-store";
        return nullptr;
    }
    auto jar = std::make_unique<NetscapeCookieJar>(path, clock, ChosenCharset(options));
    jar->SetLockWait(std::chrono::seconds(5), std::move(lockNotice));
    return jar;
}

std::string DescribeCookieStore(const PlatformOptions& options) {
    const std::string charset = std::string("（") + CharsetName(ChosenCharset(options)) + "）";
    if (!options.cookieStore || options.cookieStore->kind == CookieStoreLocation::Kind::kJar)
        return "cookies.txt: " + JarPath(options) + charset;
    const std::string& path = options.cookieStore->path;
    return std::string(IsFirefox(options) ? "Firefox: " : "Chromium: ") +
           (path.empty() ? std::string("既定のプロファイル") : path) + charset;
}

std::string IdentifyCookieStore(const PlatformOptions& options, const CookieStore& store) {
    const auto absolute = [](const std::string& path) {
        std::error_code ignored;
        const std::filesystem::path full = std::filesystem::absolute(path, ignored);
        return full.empty() ? path : full.lexically_normal().string();
    };
    if (const auto* browser = dynamic_cast<const BrowserCookieStore*>(&store))
        return (IsFirefox(options) ? "Firefox " : "Chromium ") + absolute(browser->DatabasePath());
    return "cookies.txt " + absolute(JarPath(options));
}

std::string NameCookieStore(const PlatformOptions& options, const CookieStore& store) {
    const std::string charset = std::string(" (") + CharsetName(ChosenCharset(options)) + ")";
    if (const auto* browser = dynamic_cast<const BrowserCookieStore*>(&store))
        return (IsFirefox(options) ? "Firefox " : "Chromium ") + browser->DatabasePath() + charset;
    return "cookies.txt " + JarPath(options) + charset;
}

}  // namespace tessel
