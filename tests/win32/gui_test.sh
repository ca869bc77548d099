#!/usr/bin/env bash
# TesselCustom.exe under wine and Xvfb: double-click a board, type a name, mark two boards, press
# the update button (the driver closes the message boxes), then find both cookies with tessel.exe
# from another process. A screenshot of the window lands beside the build's other artifacts.
# Args: WINE-RUN PREFIX BIN-DIR DRIVER-EXE SCREENSHOT-PNG
set -euo pipefail
wine_run=$1 prefix=$2 bin=$3 driver=$4 screenshot=$5
work=$(mktemp -d)
cleanup() {
    if [ $? -ne 0 ] && [ -f "$work/window.log" ]; then echo "window's output:"; cat "$work/window.log"; fi
    [ -n "${window_pid:-}" ] && kill "$window_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own; Xvfb picks a free number and tells it through descriptor 3.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

# Wine's desktop belongs to the display its wineserver first saw: start the prefix's wineserver
# anew on this one (the test runs alone), and end it afterwards.
"$wine_run" "$prefix" --stop
"$wine_run" "$prefix" --start
trap 'cleanup; "$wine_run" "$prefix" --stop' EXIT

list="Z:$work/TesselCustom.ini"
cp "$bin/TesselCustom.ini" "$work/TesselCustom.ini"
name="GuiTaro$$"
"$wine_run" "$prefix" "$bin/TesselCustom.exe" --board-list "$list" </dev/null >"$work/window.log" 2>&1 &
window_pid=$!
# Wine's helpers (its desktop process, for one) outlive a program and keep what it had open: give
# the programs files, never this script's output.
"$wine_run" "$prefix" "$driver" "$name" </dev/null >"$work/driver.log" 2>&1
cat "$work/driver.log"
grep -q '設定完了。' "$work/driver.log" || { echo "no completion message"; exit 1; }
mkdir -p "$(dirname "$screenshot")"
import -window root "$screenshot"
"$wine_run" "$prefix" "$driver" close </dev/null >/dev/null 2>&1
wait "$window_pid" || true
window_pid=

for board in 1 2; do
    "$wine_run" "$prefix" "$bin/tessel.exe" --board-list "$list" show "$board" </dev/null \
        >"$work/shown" 2>&1
    grep -q "$name" "$work/shown" || { echo "board $board has no cookie with $name:"; cat "$work/shown"; exit 1; }
done
echo "both cookies found; screenshot: $screenshot"
