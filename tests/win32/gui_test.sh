#!/usr/bin/env bash
# TesselCustom.exe under wine, Xvfb and a window manager, used as a person uses it: real key and
# mouse events from xdotool. By keyboard alone it reads the first board (Enter), marks the first
# two, types a name and presses the update button (its access key, Space on it once the message
# box gave the focus back, then Ctrl+Enter), closing each message box with Enter; one mouse click
# puts a mail address in. tessel.exe, another process,
# then finds both cookies, and the first board keeps the unread marker it had before. Told of a
# monitor of twice the scale, the window doubles. Screenshots at both scales land beside the
# build's other artifacts.
# Args: WINE-RUN PREFIX BIN-DIR LOCATE-EXE SCREENSHOT-PNG
set -euo pipefail
wine_run=$1 prefix=$2 bin=$3 locate=$4 screenshot=$5
work=$(mktemp -d)
cleanup() {
    if [ $? -ne 0 ] && [ -f "$work/window.log" ]; then echo "window's output:"; cat "$work/window.log"; fi
    [ -n "${window_pid:-}" ] && kill "$window_pid" 2>/dev/null || true
    [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$*"; [ -n "${DISPLAY:-}" ] && import -window root "$screenshot" 2>/dev/null; exit 1; }

# A display of our own; Xvfb picks a free number and tells it through descriptor 3.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
mkdir -p "$(dirname "$screenshot")"
openbox >/dev/null 2>&1 &
wm_pid=$!

# Wine's desktop belongs to the display its wineserver first saw: start the prefix's wineserver
# anew on this one (the test runs alone), and end it afterwards.
"$wine_run" "$prefix" --stop
"$wine_run" "$prefix" --start
trap 'cleanup; "$wine_run" "$prefix" --stop' EXIT

list="Z:$work/TesselCustom.ini"
cp "$bin/TesselCustom.ini" "$work/TesselCustom.ini"
# Wine's helpers (its desktop process, for one) outlive a program and keep what it had open: give
# the programs files, never this script's output.
tessel() { "$wine_run" "$prefix" "$bin/tessel.exe" --board-list "$list" "$@" </dev/null >"$work/tessel.out" 2>&1; }
name="Jiro$$"
echo '{"zatsudan": {"noReadPoint": 4321}}' >"$work/marker.json"
tessel import "Z:$work/marker.json" || fail "could not set the unread marker: $(cat "$work/tessel.out")"

"$wine_run" "$prefix" "$bin/TesselCustom.exe" --board-list "$list" </dev/null >"$work/window.log" 2>&1 &
window_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Ver\.1\.01' | head -1) ||
    fail "the window did not appear"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 0.5

key() { xdotool key --delay 60 "$@"; sleep 0.3; }
# The message boxes the last key opened, each closed with Enter; prints how many there were.
close_boxes() {
    local count=0 box
    while box=$(timeout 2 xdotool search --sync --onlyvisible --name '^TesselCustom$' | head -1); do
        xdotool windowactivate --sync "$box" 2>/dev/null || true
        [ "$count" -eq 0 ] && import -window root "$work/box.png"
        key Return
        count=$((count + 1))
        while xdotool search --onlyvisible --name '^TesselCustom$' | grep -qx "$box"; do sleep 0.1; done
    done
    echo "$count"
}

# The list has the focus at start: Enter reads the first board (its cookie is there: no box),
# Space marks it, Down and Space the second.
key Return
[ "$(close_boxes)" -eq 0 ] || fail "reading the first board showed a message"
key space Down space
key alt+n
xdotool type --delay 40 "$name"
key alt+u
[ "$(close_boxes)" -eq 1 ] || fail "the update did not end in one message box"
# The box gave the focus back to the button its access key pressed: Space presses it again.
key space
[ "$(close_boxes)" -eq 1 ] || fail "the focus did not come back to the update button"
read -r x y < <("$wine_run" "$prefix" "$locate" 12 </dev/null 2>/dev/null) || fail "no mail field"
xdotool mousemove "$x" "$y" click 1
# Ctrl+A in a text field selects its text (in the list it marks every board).
key ctrl+a
xdotool type --delay 40 "taro@example.jp"
key alt+n End
xdotool type --delay 40 "X"
key ctrl+Return
[ "$(close_boxes)" -eq 1 ] || fail "Ctrl+Enter did not update"
import -window root "$screenshot"
# Moved to a monitor of twice the scale, the window lays itself out again at twice the size.
read -r width _ < <("$wine_run" "$prefix" "$locate" dpi 96 </dev/null 2>/dev/null)
read -r doubled _ < <("$wine_run" "$prefix" "$locate" dpi 192 </dev/null 2>/dev/null)
[ "$((doubled * 10))" -ge "$((width * 19))" ] || fail "at 192 DPI the window is $doubled wide, at 96 $width"
sleep 0.5
import -window root "${screenshot%.png}-200.png"
key alt+f x
wait "$window_pid" || true
window_pid=

for board in 1 2; do
    tessel show "$board"
    grep -q "${name}X" "$work/tessel.out" || fail "board $board has no cookie with ${name}X: $(cat "$work/tessel.out")"
    grep -q "taro@example.jp" "$work/tessel.out" || fail "board $board lacks the clicked-in mail"
done
# tessel.exe speaks the language of the Windows it runs on, here Japanese.
tessel show 1
grep -Eq "未読位置[: ]+4321" "$work/tessel.out" || fail "board 1 lost its unread marker: $(cat "$work/tessel.out")"
echo "both cookies found, the marker kept; screenshot: $screenshot"
