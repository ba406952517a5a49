#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# zp-webpad on a machine where a desktop keypad already holds the search's UDP port: it
# starts all the same, says so, and its tablets reach the ZP server at the address saved in
# ZP.INI. Inside a network namespace of its own, where that port is ours to take.
# Usage: searchport_netns.sh ZP_STANDIN ZP_WEBPAD
set -u
standin=$1 webpad=$2
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; failed=1; }

if [ "${ZP_IN_NAMESPACE:-}" != 1 ]; then
    [ "$(id -u)" -eq 0 ] || skip "network namespaces need root"
    command -v unshare >/dev/null || skip "unshare is not installed"
    ZP_IN_NAMESPACE=1 exec unshare --net "$0" "$@"
fi

ip link set lo up || exit 1
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failed=0

# The desktop keypad's stand-in: whatever holds UDP port 8091.
/usr/bin/python3 -c 'import socket, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("0.0.0.0", 8091)); time.sleep(120)' &
pids+=($!)
"$standin" --port 0 --no-discovery >"$work/standin.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q listening "$work/standin.log" && break; sleep 0.1; done
port=$(grep -oE 'TCP port [0-9]+' "$work/standin.log" | grep -oE '[0-9]+$')
[ -n "$port" ] || { echo "zp-standin did not start"; exit 1; }
printf '[Form]\r\nport=%s\r\nipserver=127.0.0.1\r\n' "$port" >"$work/ZP.INI"
sleep 0.3

HOME=$work QT_QPA_PLATFORM=offscreen "$webpad" --headless --port 0 --settings "$work/ZP.INI" \
    --key-file "$work/key" --url-host 127.0.0.1 >"$work/webpad.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q "ZP server:" "$work/webpad.log" && break; sleep 0.1; done
grep -q "Cannot search the network (UDP port 8091" "$work/webpad.log" ||
    fail "zp-webpad does not say that the search's port is taken"
grep -q "using the saved address 127.0.0.1:$port" "$work/webpad.log" ||
    fail "zp-webpad does not say it uses the saved address"
url=$(grep -o 'http://[^ ]*' "$work/webpad.log" | head -n 1)
[ -n "$url" ] || fail "zp-webpad does not serve"

# A tablet's tap reaches the server at the saved address.
if [ -n "$url" ]; then
    /usr/bin/python3 "$here/tap_once.py" "$url" a6 || fail "the tablet's tap was not confirmed"
    grep -qE " a6\$" "$work/standin.log" || fail "the tap did not reach the saved address"
fi
[ $failed -eq 0 ] && echo "PASS: started on the saved address with the search's port taken"
[ $failed -eq 0 ] || { echo "--- zp-webpad:"; cat "$work/webpad.log"; }
exit $failed
