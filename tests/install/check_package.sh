#!/usr/bin/env bash
# Builds the Debian package, checks its control fields and contents, has lintian (Debian's package
# checker) find neither error nor warning in it, and runs the executables unpacked from it.
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack --config CPackConfig.cmake -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/tesselcustom_*.deb)
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tesselcustom ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture"
for library in libc6 libstdc++6 libqt6widgets6; do
    field Depends | grep -q "$library" || fail "Depends lacks $library: $(field Depends)"
done
for wanted in qt6-qpa-plugins fonts-ipafont-gothic xdg-utils; do
    field Recommends | grep -q "$wanted" || fail "Recommends lacks $wanted"
done
dpkg-deb -c "$deb" >"$work/contents"
for file in ./usr/bin/TesselCustom ./usr/bin/tessel ./usr/share/tesselcustom/TesselCustom.ini \
    ./usr/share/applications/jp.tesselcustom.TesselCustom.desktop ./usr/share/man/man1/tessel.1.gz \
    ./usr/share/bash-completion/completions/tessel ./usr/share/doc/tesselcustom/copyright \
    ./usr/share/doc/tesselcustom/changelog.gz; do
    grep -q " $file\$" "$work/contents" || fail "$file is not in the package"
done
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>/dev/null ||
    fail "lintian: $(cat "$work/lintian")"

dpkg-deb -x "$deb" "$work/root"
tessel=$work/root/usr/bin/tessel
"$tessel" --version | grep -q "^tessel (TesselCustom) Ver\." || fail "unpacked tessel --version"
"$tessel" --board-list "$source/dist/TesselCustom.ini" list | grep -q zatsudan ||
    fail "unpacked tessel list"
zgrep -qF "/usr/share/tesselcustom/TesselCustom.ini" "$work/root/usr/share/man/man1/tessel.1.gz" ||
    fail "the man page names the configured prefix, not the package's"
echo "package $(basename "$deb") checked"
