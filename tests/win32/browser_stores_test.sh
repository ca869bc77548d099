#!/usr/bin/env bash
# tessel.exe under wine against browser profiles laid out where the Windows browsers keep them,
# with databases made by Debian's firefox-esr and chromium and a Local State whose key DPAPI
# protects in the same prefix. Each row applies one board to one store and says what must follow;
# the values are read back with sqlite3 and, for the Chromium family, decrypted here (AES-GCM in
# Python) with the key DPAPI gives back; a value not v10 is shown in hex.
# Args: WINE-RUN PREFIX TESSEL-EXE BROWSER-PROBE-EXE BOARD-LIST
set -euo pipefail
wine_run=("$1" "$2")
prefix=$2 tessel=$3 probe=$4 boards=$5
work=$(mktemp -d)
trap 'exec 8>&- 2>/dev/null || true; rm -rf "$work"' EXIT

# Empty databases as the browsers make them, in a home of their own.
mkdir -p "$work/firefox"
HOME=$work timeout 60 firefox-esr --headless --no-remote --profile "$work/firefox" \
    --screenshot "$work/shot.png" about:blank >/dev/null 2>&1 || true
# Chromium makes its database as its network service starts, which a quick exit can cut short.
for _ in 1 2 3; do
    [ -f "$work/chromium/Default/Cookies" ] && break
    HOME=$work timeout 60 chromium --headless --no-sandbox --user-data-dir="$work/chromium" \
        --dump-dom about:blank >/dev/null 2>&1 || true
done
for made in "$work/firefox/cookies.sqlite" "$work/chromium/Default/Cookies"; do
    [ -f "$made" ] || { echo "the browser made no $made"; exit 1; }
done

user=$(ls "$prefix/drive_c/users" | grep -vx Public | head -1)
roaming="$prefix/drive_c/users/$user/AppData/Roaming"
local="$prefix/drive_c/users/$user/AppData/Local"
# The prefix's other tests find no profiles and no remembered store: what this one lays out goes.
clear_profiles() {
    rm -rf "$roaming/Mozilla" "$roaming/TesselCustom" "$local/Google" "$local/Microsoft/Edge" \
        "$local/BraveSoftware" "$local/読者" "$local/Packages/Mozilla.Firefox_n80bbvh6b1yt2"
    rmdir "$local/Packages" 2>/dev/null || true
}
clear_profiles
trap 'exec 8>&- 2>/dev/null || true; clear_profiles; rm -rf "$work"' EXIT
firefox="$roaming/Mozilla/Firefox"
mkdir -p "$firefox/Profiles/other.default" "$firefox/Profiles/main.default-release"
printf '[Profile1]\r\nName=other\r\nIsRelative=1\r\nPath=Profiles/other.default\r\nDefault=1\r\n\r\n[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/main.default-release\r\n' \
    >"$firefox/profiles.ini"
printf '[308046B0AF4A39CB]\r\nDefault=Profiles/main.default-release\r\n' >"$firefox/installs.ini"
cp "$work/firefox/cookies.sqlite" "$firefox/Profiles/main.default-release/"
cp "$work/firefox/cookies.sqlite" "$firefox/Profiles/other.default/"
# The Microsoft Store build keeps its profiles in its package's folder.
store="$local/Packages/Mozilla.Firefox_n80bbvh6b1yt2/LocalCache/Roaming/Mozilla/Firefox"
mkdir -p "$store/Profiles/s.default-release"
printf '[Profile0]\r\nName=from-store\r\nIsRelative=1\r\nPath=Profiles/s.default-release\r\n' >"$store/profiles.ini"
cp "$work/firefox/cookies.sqlite" "$store/Profiles/s.default-release/"

key=000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f
lay_chromium() {  # USER-DATA DATABASE-INSIDE-IT
    mkdir -p "$(dirname "$1/$2")"
    cp "$work/chromium/Default/Cookies" "$1/$2"
    "${wine_run[@]}" "$probe" key "Z:$1/Local State" "$key"
}
lay_chromium "$local/Google/Chrome/User Data" "Default/Network/Cookies"
lay_chromium "$local/Microsoft/Edge/User Data" "Default/Cookies"  # before Network\Cookies
lay_chromium "$local/BraveSoftware/Brave-Browser/User Data" "Default/Network/Cookies"
lay_chromium "$local/読者/User Data" "Profile 1/Network/Cookies"
[ "$("${wine_run[@]}" "$probe" unprotect "Z:$local/Google/Chrome/User Data/Local State" | tr -d '\r')" = "$key" ] ||
    { echo "DPAPI does not give the key back"; exit 1; }

url=http://bbs.example.jp/zatsudan/bbs.cgi
brave="$local/BraveSoftware/Brave-Browser/User Data/Default/Network/Cookies"
# A value only Brave itself could decrypt, of the board's very cookie.
sqlite3 "$brave" "INSERT INTO cookies VALUES (13300000000000000, 'bbs.example.jp', '', '$url', '',
    X'7632300102030405060708090a0b0c0d0e0f', '/zatsudan/', 16000000000000000, 0, 0,
    13300000000000000, 1, 1, 1, -1, 1, 80, 13300000000000000, 0, 0)"

# The value of the board's cookie in a database: Firefox's as stored, the others' decrypted.
value_of() {  # KIND DATABASE CHARSET
    if [ "$1" = firefox ]; then
        sqlite3 "$2" "SELECT value FROM moz_cookies WHERE name = '$url'"
        return
    fi
    sqlite3 "$2" "SELECT hex(encrypted_value) FROM cookies WHERE name = '$url'" | python3 -c '
import hashlib, sys
from cryptography.hazmat.primitives.ciphers.aead import AESGCM
stored = bytes.fromhex(sys.stdin.read().strip())
if not stored or stored[:3] != b"v10":
    sys.exit(print(stored.hex()))  # nothing, or what no program but the browser reads
plain = AESGCM(bytes.fromhex(sys.argv[1])).decrypt(stored[3:15], stored[15:], None)
assert plain[:32] == hashlib.sha256(b"bbs.example.jp").digest(), "not bound to the host"
print(plain[32:].decode(sys.argv[2]))' "$key" "$3"
}

failures=0
check() {  # STORE OPTIONS EXPECTED-STATUS EXPECTED-OUTPUT-PART DATABASE CHARSET EXPECTED-VALUE
    local store=$1 status=0 output value
    # shellcheck disable=SC2086
    output=$("${wine_run[@]}" "$tessel" --board-list "$boards" --cookie-store "$store" $2 \
        apply --name "名無し$$" --view-count 33 zatsudan 2>&1) || status=$?
    value=$(value_of "${store%%:*}" "$5" "$6" 2>&1 || true)
    if [ "$status" != "$3" ] || ! grep -qF "$4" <<<"$output" || [ "$value" != "$7" ]; then
        echo "FAILED $store $2: status $status (wanted $3), value '$value' (wanted '$7'), output:"
        echo "$output"
        failures=$((failures + 1))
    fi
}

written="名無し$$,,,,33,0,1,0,30"
chrome="$local/Google/Chrome/User Data/Default/Network/Cookies"
#     store    options                   status  output part              database                                       charset  value
check firefox  ""                        0  "main.default-release"   "$firefox/Profiles/main.default-release/cookies.sqlite" utf-8 "$written"
check chrome   ""                        0  "Google Chrome"          "$chrome"                                       cp932    "$written"
check edge     "--cookie-charset utf-8"  0  "Microsoft Edge"         "$local/Microsoft/Edge/User Data/Default/Cookies" utf-8 "$written"
# A folder of Japanese name given as a profile, written in two sessions (each backs it up anew).
own="chromium:C:\\users\\$user\\AppData\\Local\\読者\\User Data\\Profile 1"
for _ in 1 2; do
check "$own"   ""                        0  "読者"                   "$local/読者/User Data/Profile 1/Network/Cookies" cp932  "$written"
done
# A v20 row is unreadable: refused, and left as it was.
check brave    ""                        1  "(v20)"                  "$brave"                                        cp932    7632300102030405060708090a0b0c0d0e0f

# A database another process holds open (as the running browser does) is refused untouched.
sqlite3 "$chrome" "DELETE FROM cookies"
mkfifo "$work/hold"
"${wine_run[@]}" "$probe" hold "Z:$chrome" <"$work/hold" >"$work/held" &
exec 8>"$work/hold"
for _ in $(seq 100); do grep -q held "$work/held" 2>/dev/null && break; sleep 0.1; done
check chrome   ""                        1  "Google Chrome が起動中です" "$chrome"                               cp932    ""
exec 8>&-
wait

# Every store found, with the fields tessel gives on Linux.
listed=$("${wine_run[@]}" "$tessel" stores --json)
for part in '"store": "wininet"' '"kind": "edge"' '"name": "default-release"' '"default": true' \
    '"inUse": true' '"writable": true' '"reason": ""' 'Network\\Cookies' '"name": "from-store"'; do
    grep -qF "$part" <<<"$listed" || { echo "FAILED: stores --json lacks $part:"; echo "$listed"; failures=$((failures + 1)); }
done
exit $((failures > 0))
