#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The browser keypad in Chromium and in WebKit, inside a network namespace that has only its
# own loopback: zp-standin as the ZP server (refusing xr24), zp-webpad serving the page, and
# the browsers driven through WebDriver by browser_test.py.
# Usage: browser_netns.sh ZP_STANDIN ZP_WEBPAD SCREENSHOT_DIR
set -u
standin=$1 webpad=$2 shots=$3
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIP: $*"; exit 77; }

if [ "${ZP_IN_NAMESPACE:-}" != 1 ]; then
    [ "$(id -u)" -eq 0 ] || skip "network namespaces need root"
    for tool in unshare ip xvfb-run /usr/bin/chromedriver /usr/bin/WebKitWebDriver; do
        command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup test)"
    done
    /usr/bin/python3 -c 'import selenium' 2>/dev/null || skip "python3-selenium is not installed"
    ZP_IN_NAMESPACE=1 exec unshare --net "$0" "$@"
fi

ip link set lo up || exit 1
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}" $(cat "$work/webpad.pid" 2>/dev/null); do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots"

# The namespace is ours alone, so the server's usual port is free in it.
"$standin" --port 6000 --no-discovery --refuse xr24 >"$work/standin.log" 2>&1 &
pids+=($!)
# A fixed port too, so that the test can restart zp-webpad where the tablets knew it.
webpad_command=("$webpad" --headless --port 8094 --server 127.0.0.1:6000 --key-file "$work/key"
    --url-host 127.0.0.1)
HOME=$work QT_QPA_PLATFORM=offscreen "${webpad_command[@]}" >"$work/webpad.log" 2>&1 &
pids+=($!)
echo $! >"$work/webpad.pid"
export ZP_WEBPAD_PIDFILE=$work/webpad.pid ZP_WEBPAD_COMMAND
ZP_WEBPAD_COMMAND=$(printf '%s\n' "${webpad_command[@]}")
url=
for _ in $(seq 100); do
    url=$(grep -o 'http://[^ ]*' "$work/webpad.log" | head -n 1)
    [ -n "$url" ] && break
    sleep 0.1
done
[ -n "$url" ] || { echo "zp-webpad did not start:"; cat "$work/webpad.log"; exit 1; }

status=0
HOME=$work /usr/bin/python3 "$here/browser_test.py" chromium "$url" "$work/standin.log" "$shots" \
    || status=1
HOME=$work xvfb-run -a -s "-screen 0 1400x1000x24" \
    /usr/bin/python3 "$here/browser_test.py" webkit "$url" "$work/standin.log" "$shots" \
    || status=1
[ $status -eq 0 ] || { echo "--- zp-webpad:"; cat "$work/webpad.log"; }
exit $status
