#include "app/SharedOptions.h"

#include <string_view>

namespace tessel {
namespace {

std::string TakeBoardList(const std::string& value, SharedOptions& options) {
    if (value.empty())
        return "--board-list needs a file name";
    options.boardList = value;
    return {};
}

std::string TakeCookieStore(const std::string& value, SharedOptions& options) {
    CookieStoreChoice choice = ParseCookieStoreArgument(value);
    if (!choice.location)
        return choice.error;
    options.cookieStore = std::move(choice.location);
    return {};
}

std::string TakeCookieCharset(const std::string& value, SharedOptions& options) {
    const CookieCharsetChoice choice = ParseCookieCharset(value);
    if (!choice.charset)
        return choice.error;
    options.charset = *choice.charset;
    return {};
}

struct Option {
    std::string_view name;
    SharedOption bit;
    std::string (*take)(const std::string& value, SharedOptions& options);
};

constexpr Option kOptions[] = {
    {"--board-list", kBoardListOption, TakeBoardList},
    {"--cookie-store", kCookieStoreOption, TakeCookieStore},
    {"--cookie-charset", kCookieCharsetOption, TakeCookieCharset},
};

}  // namespace

bool TakeSharedOption(const std::vector<std::string>& args, std::size_t& index, unsigned accepted,
                      SharedOptions& options, std::string& error) {
    const std::string& arg = args.at(index);
    const std::size_t equals = arg.find('=');
    const std::string_view name = std::string_view(arg).substr(0, equals);
    for (const Option& option : kOptions) {
        if (option.name != name || (option.bit & accepted) == 0)
            continue;
        if (equals != std::string::npos) {
            error = option.take(arg.substr(equals + 1), options);
        } else if (index + 1 < args.size()) {
            error = option.take(args[++index], options);
        } else {
            error = std::string(name) + " needs a value";
        }
        return true;
    }
    return false;
}

}  // namespace tessel
