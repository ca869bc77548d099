#include "posix/desktop/DefaultBrowser.h"

#include <array>
#include <filesystem>
#include <vector>

#include "posix/files/ReadFile.h"
#include "text/TextCase.h"

namespace tessel {
namespace {

// A mimeapps.list is a few lines; anything bigger is not one.
constexpr std::int64_t kMaxListSize = 1 << 20;

// Words in a desktop file id or program name that identify a browser, tried in this order
// ("chromium" before "chrome" would not matter, but "microsoft-edge" must not be taken for a
// plain word "edge" in another program's name).
struct BrowserWord {
    std::string_view word;
    std::string_view browser;
};
constexpr std::array kBrowserWords = {
    BrowserWord{"firefox", "firefox"},
    BrowserWord{"chromium", "chromium"},
    BrowserWord{"google-chrome", "chrome"},
    BrowserWord{"com.google.chrome", "chrome"},
    BrowserWord{"brave", "brave"},
    BrowserWord{"microsoft-edge", "edge"},
    BrowserWord{"com.microsoft.edge", "edge"},
    BrowserWord{"vivaldi", "vivaldi"},
    BrowserWord{"opera", "opera"},
};

std::string_view BaseName(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Snap desktop files are "<snap>_<app>.desktop"; flatpak ones are the application's reverse-DNS
// id; programs under /snap/bin are snaps too.
DefaultBrowser::Packaging PackagingOf(std::string_view id, std::string_view name) {
    if (id.rfind("/snap/", 0) == 0 ||
        (name.find('_') != std::string_view::npos && name.find('.') == name.rfind(".desktop")))
        return DefaultBrowser::Packaging::kSnap;
    for (std::string_view prefix : {"org.", "com.", "io.", "net."})
        if (name.rfind(prefix, 0) == 0)
            return DefaultBrowser::Packaging::kFlatpak;
    return DefaultBrowser::Packaging::kNative;
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> parts;
    while (!text.empty()) {
        const auto end = text.find(separator);
        if (auto part = text.substr(0, end); !part.empty())
            parts.emplace_back(part);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return parts;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The first handler [Default Applications] gives http links in one mimeapps.list.
std::optional<std::string> HttpHandler(const std::string& path) {
    std::string bytes;
    if (ReadWholeFile(path, kMaxListSize, &bytes, nullptr))
        return std::nullopt;
    bool inDefaults = false;
    for (const auto& rawLine : SplitList(bytes, '\n')) {
        const auto line = Trim(rawLine);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inDefaults = line == "[Default Applications]";
            continue;
        }
        const auto equals = line.find('=');
        if (!inDefaults || equals == std::string_view::npos ||
            Trim(line.substr(0, equals)) != "x-scheme-handler/http")
            continue;
        if (auto handlers = SplitList(Trim(line.substr(equals + 1)), ';'); !handlers.empty())
            return handlers.front();
    }
    return std::nullopt;
}

std::string Variable(const Environment& environment, const char* name) {
    const char* value = environment(name);
    return value ? value : "";
}

// An XDG folder variable's absolute folders, or fallback when it gives none.
std::vector<std::string> Folders(const Environment& environment, const char* name,
                                 std::vector<std::string> fallback) {
    std::vector<std::string> folders;
    for (auto& folder : SplitList(Variable(environment, name), ':'))
        if (folder.front() == '/')
            folders.push_back(std::move(folder));
    return folders.empty() ? fallback : folders;
}

}  // namespace

std::optional<DefaultBrowser> BrowserNamedBy(std::string_view id) {
    // A command line: its program only.
    id = Trim(id);
    id = id.substr(0, id.find(' '));
    const auto name = BaseName(id);
    const auto folded = FoldCase(std::string(name));
    for (const auto& [word, browser] : kBrowserWords)
        if (folded.find(word) != std::string::npos)
            return DefaultBrowser{std::string(browser), PackagingOf(id, folded), std::string(id)};
    return std::nullopt;
}

std::optional<std::string> DefaultWebBrowserEntry(const Environment& environment) {
    const std::string home = Variable(environment, "HOME");
    const auto configHome =
        Folders(environment, "XDG_CONFIG_HOME", {home.empty() ? "" : home + "/.config"});
    const auto dataHome =
        Folders(environment, "XDG_DATA_HOME", {home.empty() ? "" : home + "/.local/share"});
    std::vector<std::string> folders = configHome;
    for (auto& folder : Folders(environment, "XDG_CONFIG_DIRS", {"/etc/xdg"}))
        folders.push_back(std::move(folder));
    for (const auto& folder : dataHome)
        folders.push_back(folder + "/applications");
    for (auto& folder : Folders(environment, "XDG_DATA_DIRS", {"/usr/local/share", "/usr/share"}))
        folders.push_back(folder + "/applications");

    std::vector<std::string> names;
    for (const auto& desktop : SplitList(Variable(environment, "XDG_CURRENT_DESKTOP"), ':'))
        names.push_back(FoldCase(desktop) + "-mimeapps.list");
    names.push_back("mimeapps.list");

    for (const auto& folder : folders) {
        if (folder.empty())
            continue;
        for (const auto& name : names)
            if (auto handler = HttpHandler(folder + "/" + name))
                return handler;
    }
    return std::nullopt;
}

std::optional<DefaultBrowser> FindDefaultBrowser(const Environment& environment,
                                                 const std::string& alternativePath) {
    if (auto entry = DefaultWebBrowserEntry(environment))
        if (auto browser = BrowserNamedBy(*entry))
            return browser;
    // The alternative's chain of links, one step at a time: its end may be a program of no
    // telling name (a snap's is /usr/bin/snap).
    std::filesystem::path link = alternativePath;
    for (int step = 0; step < 8; ++step) {
        std::error_code error;
        auto target = std::filesystem::read_symlink(link, error);
        if (error)
            break;
        link = target.is_absolute() ? target : link.parent_path() / target;
        if (auto browser = BrowserNamedBy(link.string()))
            return browser;
    }
    for (const auto& command : SplitList(Variable(environment, "BROWSER"), ':'))
        if (auto browser = BrowserNamedBy(command))
            return browser;
    return std::nullopt;
}

}  // namespace tessel
