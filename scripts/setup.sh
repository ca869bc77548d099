#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test TesselCustom. Safe to run again:
# when everything is already installed it changes nothing and needs no network.
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
    clang libclang-rt-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all ${#packages[@]} packages are installed"
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
