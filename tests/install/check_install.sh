#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree: every file in its
# place, the executables run, the board list is found in (and created into) XDG_CONFIG_HOME, the
# desktop entry and metainfo validate, the man pages render, the completion completes.
set -euo pipefail
build=$1 source=$2 id=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cd "$work/prefix"
for file in bin/TesselCustom bin/tessel share/tesselcustom/TesselCustom.ini \
    share/doc/tesselcustom/ReadMe.txt share/doc/tesselcustom/LICENSE \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/256x256/apps/$id.png share/man/man1/tessel.1 share/man/man1/TesselCustom.1 \
    share/bash-completion/completions/tessel share/locale/ja/LC_MESSAGES/tessel.mo; do
    [ -s "$file" ] || fail "$file is not installed"
done

bin/TesselCustom --version | grep -q '^TesselCustom Ver\.' || fail "TesselCustom --version"
bin/tessel --version | grep -q '^tessel (TesselCustom)' || fail "tessel --version"
LANG=ja_JP.UTF-8 LANGUAGE= LC_ALL= bin/tessel --help | grep -q '^使い方' ||
    fail "tessel does not find its catalog under its own prefix"

# No list anywhere: an empty one, and every place looked is named.
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/system" HOME="$work" LANG=C.UTF-8
bin/tessel list 2>"$work/err" >/dev/null || fail "tessel list without a list"
for place in "$work/prefix/bin/TesselCustom.ini" "$work/config/TesselCustom/TesselCustom.ini" \
    "$work/system/TesselCustom/TesselCustom.ini"; do
    grep -qF "$place" "$work/err" || fail "the missing list's note does not name $place"
done
[ "$(bin/tessel init 2>/dev/null)" = "$work/config/TesselCustom/TesselCustom.ini" ] ||
    fail "tessel init did not print the user's list"
cmp -s share/tesselcustom/TesselCustom.ini "$work/config/TesselCustom/TesselCustom.ini" ||
    fail "the user's list is not the sample"
bin/tessel list 2>"$work/err" | grep -q zatsudan || fail "the user's list is not read"
[ ! -s "$work/err" ] || fail "a found list still gets a note: $(cat "$work/err")"
if bin/tessel init 2>/dev/null; then fail "init replaced an existing list"; fi
QT_QPA_PLATFORM=offscreen TESSEL_REPORT_STARTUP=1 bin/TesselCustom 2>/dev/null | grep -q painted ||
    fail "the installed window does not start"

desktop-file-validate "share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "share/metainfo/$id.metainfo.xml" >/dev/null || fail "metainfo"
for page in tessel TesselCustom; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "share/man/man1/$page.1" 2>&1 >"$work/page")
    [ -z "$warnings" ] || fail "$page.1: $warnings"
    grep -q "^NAME" "$work/page" || fail "$page.1 does not render"
    grep -qF "$work/prefix/share/tesselcustom/TesselCustom.ini" "share/man/man1/$page.1" ||
        fail "$page.1 does not name the installed sample"
done

completions=$(PATH="$work/prefix/bin:$PATH" bash -c '
    source share/bash-completion/completions/tessel
    COMP_WORDS=(tessel show ""); COMP_CWORD=2; _tessel; echo "${COMPREPLY[*]}"
    COMP_WORDS=(tessel ap); COMP_CWORD=1; _tessel; echo "${COMPREPLY[*]}"')
[ "$completions" = $'zatsudan shumi shitsumon\napply' ] || fail "completion gave: $completions"
echo "installed tree checked"
