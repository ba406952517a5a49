#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The browser keypad in Chromium and in WebKit, inside a network namespace that has only its
# own loopback: zp-standin as the ZP server (refusing xr24), zp-webpad serving the page, and
# the browsers driven through WebDriver by browser_test.py.
# Windows programs (.exe) run under Wine, in a Wine prefix made for the run inside the
# namespace: the Wine server makes its programs' sockets, so it has to start in there, apart
# from any other. WINEPATH names the folders of their DLLs.
# Usage: browser_netns.sh ZP_STANDIN ZP_WEBPAD SCREENSHOT_DIR [chromium] [webkit]
#   (both browsers when none is named)
set -u
standin=$1 webpad=$2 shots=$3
shift 3
browsers=("$@")
[ ${#browsers[@]} -gt 0 ] || browsers=(chromium webkit)
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIP: $*"; exit 77; }
windows() { [[ $1 == *.exe ]]; }

if [ "${ZP_IN_NAMESPACE:-}" != 1 ]; then
    tools=(unshare ip /usr/bin/chromedriver)
    [[ " ${browsers[*]} " == *" webkit "* ]] && tools+=(xvfb-run /usr/bin/WebKitWebDriver)
    windows "$standin" || windows "$webpad" && tools+=(wine wineboot wineserver)
    for tool in "${tools[@]}"; do
        command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup test)"
    done
    /usr/bin/python3 -c 'import selenium' 2>/dev/null || skip "python3-selenium is not installed"
    # Without root, a user namespace of its own lets the test make its network namespace.
    namespace=(unshare --net)
    [ "$(id -u)" -eq 0 ] || namespace=(unshare --user --map-root-user --net)
    "${namespace[@]}" true 2>/dev/null || skip "cannot make a network namespace here"
    ZP_IN_NAMESPACE=1 exec "${namespace[@]}" "$0" "$standin" "$webpad" "$shots" "${browsers[@]}"
fi

ip link set lo up || exit 1
work=$(mktemp -d)
pids=()
wine_prefix=
cleanup() {
    for p in "${pids[@]}" $(cat "$work/webpad.pid" 2>/dev/null); do kill "$p" 2>/dev/null; done
    [ -n "$wine_prefix" ] && WINEPREFIX=$wine_prefix wineserver -k 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots"

# How each program is started, and how a path is named to it.
command_for() { if windows "$1"; then echo wine; fi; echo "$1"; }
path_for() { if windows "$1"; then echo "Z:$2"; else echo "$2"; fi; }
if windows "$standin" || windows "$webpad"; then
    wine_prefix=$work/wine
    export WINEPREFIX=$wine_prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >"$work/wineboot.log" 2>&1 || { echo "no Wine prefix:"; cat "$work/wineboot.log"; exit 1; }
    # One Wine server for the whole run, rather than one started and ended with each program.
    wineserver -p
fi

# The namespace is ours alone, so the server's usual port is free in it.
mapfile -t standin_command < <(command_for "$standin")
"${standin_command[@]}" --port 6000 --no-discovery --refuse xr24 >"$work/standin.log" 2>&1 &
pids+=($!)
# A fixed port too, so that the test can restart zp-webpad where the tablets knew it.
mapfile -t webpad_command < <(command_for "$webpad")
webpad_command+=(--headless --port 8094 --server 127.0.0.1:6000
    --key-file "$(path_for "$webpad" "$work/key")" --url-host 127.0.0.1)
HOME=$work QT_QPA_PLATFORM=offscreen "${webpad_command[@]}" >"$work/webpad.log" 2>&1 &
pids+=($!)
echo $! >"$work/webpad.pid"
export ZP_WEBPAD_PIDFILE=$work/webpad.pid ZP_WEBPAD_COMMAND
ZP_WEBPAD_COMMAND=$(printf '%s\n' "${webpad_command[@]}")
url=
for _ in $(seq 300); do
    url=$(grep -o 'http://[^ ]*' "$work/webpad.log" | head -n 1 | tr -d '\r')
    [ -n "$url" ] && break
    sleep 0.1
done
[ -n "$url" ] || { echo "zp-webpad did not start:"; cat "$work/webpad.log"; exit 1; }

status=0
# Its QR code in block characters, in UTF-8 (a Windows program's own code page has none).
grep -q '█' "$work/webpad.log" || { echo "FAIL: the QR code is not printed in UTF-8"; status=1; }
for browser in "${browsers[@]}"; do
    run=(/usr/bin/python3 "$here/browser_test.py" "$browser" "$url" "$work/standin.log" "$shots")
    [ "$browser" = webkit ] && run=(xvfb-run -a -s "-screen 0 1400x1000x24" "${run[@]}")
    HOME=$work "${run[@]}" || status=1
done
[ $status -eq 0 ] || { echo "--- zp-webpad:"; cat "$work/webpad.log"; }
exit $status
