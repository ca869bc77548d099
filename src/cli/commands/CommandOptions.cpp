#include "cli/commands/CommandOptions.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "cli/Translate.h"

namespace tessel::cli {
namespace {

constexpr unsigned kAnyCommand = CommandOption::kAnyCommand;

constexpr CommandOption Switch(std::string_view name, unsigned set, bool Invocation::*flag) {
    return {name, set, false, nullptr, flag};
}

std::string SetOnce(std::optional<std::string>& field, const std::string& value,
                    std::string_view name) {
    if (field)
        return Fill(Tr("%s is given twice"), {name});
    field = value;
    return {};
}

std::string SetOnce(std::optional<std::int32_t>& field, std::optional<std::int32_t> value,
                    std::string_view name, const char* expected) {
    if (!value)
        return Fill(Tr("%s must be %s"), {name, Tr(expected)});
    if (field)
        return Fill(Tr("%s is given twice"), {name});
    field = value;
    return {};
}

std::optional<std::int32_t> ParseCount(const std::string& text) {
    std::int64_t value = -1;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !IsCount(value))
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ParseSwitch(const std::string& text) {
    if (text == "on")
        return 1;
    if (text == "off")
        return 0;
    return std::nullopt;
}

std::string SetPasswordSource(Invocation& invocation, PasswordSource source) {
    if (invocation.passwordSource != PasswordSource::kNone && invocation.passwordSource != source) {
        return Tr("give only one of --password-stdin and --password-prompt");
    }
    invocation.passwordSource = source;
    return {};
}

constexpr const char* kCountRange = TrLater("a whole number from 0 to 50");

const CommandOption kOptions[] = {
    Switch("--help", kAnyCommand, &Invocation::help),
    Switch("-h", kAnyCommand, &Invocation::help),
    Switch("--version", kAnyCommand, &Invocation::version),
    Switch("--json", kJsonOption, &Invocation::json),
    Switch("--show-password", kShowPasswordOption, &Invocation::showPassword),
    Switch("--with-passwords", kWithPasswordsOption, &Invocation::withPasswords),
    Switch("--all", kAllOption, &Invocation::all),
    {"--name", kPreferenceOptions, true,
     [](Invocation& i, const std::string& v) { return SetOnce(i.changes.postName, v, "--name"); }},
    {"--mail", kPreferenceOptions, true,
     [](Invocation& i, const std::string& v) { return SetOnce(i.changes.mail, v, "--mail"); }},
    {"--home-page", kPreferenceOptions, true,
     [](Invocation& i, const std::string& v) {
         return SetOnce(i.changes.homePage, v, "--home-page");
     }},
    {"--view-count", kPreferenceOptions, true,
     [](Invocation& i, const std::string& v) {
         return SetOnce(i.changes.viewCount, ParseCount(v), "--view-count", kCountRange);
     }},
    {"--download-count", kPreferenceOptions, true,
     [](Invocation& i, const std::string& v) {
         return SetOnce(i.changes.downloadCount, ParseCount(v), "--download-count", kCountRange);
     }},
    {"--order", kPreferenceOptions, true,
     [](Invocation& i, const std::string& v) {
         return SetOnce(i.changes.viewOrder, ParseOrderKeyword(v), "--order",
                        TrLater("newest or oldest"));
     }},
    {"--unread", kPreferenceOptions, true,
     [](Invocation& i, const std::string& v) {
         return SetOnce(i.changes.noReadView, ParseSwitch(v), "--unread", TrLater("on or off"));
     }},
    {"--password-stdin", kPreferenceOptions, false,
     [](Invocation& i, const std::string&) {
         return SetPasswordSource(i, PasswordSource::kStdin);
     }},
    {"--password-prompt", kPreferenceOptions, false,
     [](Invocation& i, const std::string&) {
         return SetPasswordSource(i, PasswordSource::kPrompt);
     }},
    // Anything on a command line can be read by every user of the machine.
    {"--password", kAnyCommand, true,
     [](Invocation&, const std::string&) {
         return std::string(
             Tr("the password is not taken from the command line: use --password-stdin or "
                "--password-prompt"));
     }},
};

}  // namespace

const CommandOption* FindCommandOption(std::string_view name) {
    const auto found =
        std::find_if(std::begin(kOptions), std::end(kOptions),
                     [&](const CommandOption& option) { return option.name == name; });
    return found == std::end(kOptions) ? nullptr : found;
}

}  // namespace tessel::cli
