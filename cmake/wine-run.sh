#!/usr/bin/env bash
# Runs a Windows program under wine in the prefix given first: wine-run.sh PREFIX PROGRAM ARGS...
# The prefix is made and warmed on first use (one program run with wine's services started away
# from our output). The wineserver lives while wine's services do: --stop ends it.
#   wine-run.sh PREFIX --start   makes and warms the prefix
#   wine-run.sh PREFIX --stop    stops the prefix's wineserver
set -euo pipefail
export WINEPREFIX="$1"
shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

start() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    # Wine starts its services with the first program a wineserver runs, and they inherit whatever
    # that program has open: let a program of our own start them, with nothing of our output.
    wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    if [ ! -f "$WINEPREFIX/.tessel-warm" ]; then
        # Japanese text needs a font with the glyphs under the names the system asks for.
        # The proportional faces get the proportional IPA font, so that texts fit as designed.
        for face in 'MS UI Gothic' 'MS PGothic' 'Meiryo' 'Meiryo UI' 'Yu Gothic UI'; do
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAPGothic /f \
                </dev/null >/dev/null 2>&1 || true
        done
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Gothic' /d IPAGothic /f \
            </dev/null >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.tessel-warm"
    fi
    flock -u 9
    exec 9>&-
}

case "${1:-}" in
    --start)
        start
        ;;
    --stop)
        [ -d "$WINEPREFIX" ] && wineserver -k </dev/null >/dev/null 2>&1 || true
        ;;
    *)
        start
        exec wine "$@"
        ;;
esac
