#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test TesselCustom, and fetches the
# SQLite sources the Windows build links in. Safe to run again: when everything is already there
# it changes nothing and needs no network.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache
    libgtest-dev libgmock-dev libbenchmark-dev
    python3 curl
    qt6-base-dev qt6-qpa-plugins libgl-dev fonts-ipafont-gothic
    unicode-data gettext locales-all nlohmann-json3-dev
    libsqlite3-dev libssl-dev libsecret-1-dev gnome-keyring libsecret-tools dbus firefox-esr chromium
    mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 xvfb openbox xdotool imagemagick
    qt6-translations-l10n desktop-file-utils appstream man-db groff-base dpkg-dev file lintian
    clang libclang-rt-dev tcl
)

# Debian ships no SQLite for mingw. Its source package goes into a cache outside the checkout,
# where CMake builds it for Windows (TESSEL_SQLITE_SOURCE_DIR): fetched through a sources list of
# our own, so that nothing of the machine's apt configuration changes.
sqlite_cache="${XDG_CACHE_HOME:-$HOME/.cache}/tesselcustom/sqlite"
fetch_sqlite() {
    [ -f "$sqlite_cache/source/sqlite3.pc.in" ] && return 0
    echo "setup: fetching the SQLite sources into $sqlite_cache"
    local apt="$sqlite_cache/apt"
    rm -rf "$apt" "$sqlite_cache/download" "$sqlite_cache/source"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$sqlite_cache/download"
    # The machine's own entries, for source packages.
    mkdir -p "$apt/parts"
    local list
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] && sed -n 's/^deb /deb-src /p' "$list" >"$apt/parts/$(basename "$list")"
    done
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -f "$list" ] && sed 's/^Types:.*$/Types: deb-src/' "$list" >"$apt/parts/$(basename "$list")"
    done
    local options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt/parts"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=$(id -un)")
    apt-get -q "${options[@]}" update >/dev/null
    (cd "$sqlite_cache/download" && apt-get -q "${options[@]}" source sqlite3 >/dev/null)
    mv "$sqlite_cache"/download/sqlite3-*/ "$sqlite_cache/source"
    rm -rf "$apt" "$sqlite_cache/download"
}

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all ${#packages[@]} packages are installed"
    fetch_sqlite
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
    sudo=(sudo)
fi

echo "setup: installing ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fetch_sqlite
