#!/usr/bin/env bash
# tessel.exe under wine: writes a board's cookie with a Japanese name, reads it back from a second
# process, checks that output to a pipe is UTF-8, and makes a board list with init.
# Args: WINE-RUN PREFIX TESSEL-EXE BOARD-LIST
set -euo pipefail
run=("$1" "$2" "$3" --board-list "$4")
name="雑談好き$$"
"${run[@]}" apply --name "$name" --view-count 33 zatsudan >/dev/null
shown=$("${run[@]}" show zatsudan)
grep -q "$name" <<<"$shown" || { echo "show did not find $name in:"; echo "$shown"; exit 1; }
grep -q 33 <<<"$shown" || { echo "show did not find 33 in:"; echo "$shown"; exit 1; }
"${run[@]}" list | grep -q 趣味 || { echo "list is not UTF-8"; exit 1; }

# init makes a board list from the shipped one where --board-list says, and replaces none.
own=$(mktemp -d)
trap 'rm -rf "$own"' EXIT
"$1" "$2" "$3" init --board-list "Z:$own/new/mine.ini" >/dev/null 2>&1 || { echo "init failed"; exit 1; }
cmp -s "$own/new/mine.ini" "${4#Z:}" || { echo "init did not copy the shipped board list"; exit 1; }
if "$1" "$2" "$3" init --board-list "Z:$own/new/mine.ini" >/dev/null 2>&1; then
    echo "a second init claimed to create the list"
    exit 1
fi
