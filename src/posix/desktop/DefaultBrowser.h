#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "posix/desktop/PosixAppPlaces.h"

namespace tessel {

// The desktop's default web browser, as far as its cookie store goes: which browser, and how it
// was installed (a snap or flatpak keeps its profiles inside its own sandbox folder).
struct DefaultBrowser {
    enum class Packaging { kNative, kSnap, kFlatpak };
    std::string browser;  // as --cookie-store names its kind: "firefox", "chrome", "chromium",
                          // "brave", "edge", "vivaldi", "opera"
    Packaging packaging = Packaging::kNative;
    std::string source;  // the desktop file or program that named it, for the reader

    friend bool operator==(const DefaultBrowser&, const DefaultBrowser&) = default;
};

// The browser a desktop file id ("firefox-esr.desktop", "com.google.Chrome.desktop",
// "firefox_firefox.desktop") or a program ("/usr/bin/chromium", "brave-browser %s") stands for;
// empty for anything else, mail readers and text browsers included.
std::optional<DefaultBrowser> BrowserNamedBy(std::string_view id);

// The handler of http links in the XDG mimeapps.list files, in their order of precedence (the
// desktop's own list before the shared one, config before data folders), which is what
// `xdg-settings get default-web-browser` reports on every desktop that keeps its choice there.
std::optional<std::string> DefaultWebBrowserEntry(const Environment& environment);

// The desktop's default browser: the mimeapps.list handler of http links, else the program the
// x-www-browser alternative (the link at alternativePath) points to, else the first command of
// $BROWSER. Empty when none of them names a browser whose cookies the program can reach.
std::optional<DefaultBrowser> FindDefaultBrowser(
    const Environment& environment,
    const std::string& alternativePath = "/etc/alternatives/x-www-browser");

}  // namespace tessel
