#!/usr/bin/env bash
# Real broadcast discovery across two network namespaces joined by a virtual cable:
# zp-standin on one side, the keypad on the other. Also checks that a second copy of the
# keypad on one machine ends at start with the bind error while the first goes on.
# Usage: discovery_netns.sh ZP_STANDIN ZP_CLIENT TST_ENDTOEND
set -u
standin=$1 client=$2 endtoend=$3
skip() { echo "SKIP: $*"; exit 77; }

[ "$(id -u)" -eq 0 ] || skip "network namespaces need root"
command -v ip >/dev/null || skip "iproute2 (ip) is not installed"

tag=$$
nsA=zpA$tag nsB=zpB$tag vA=zpa$tag vB=zpb$tag
net=10.77.$((tag % 250)).
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    ip netns del "$nsA" 2>/dev/null
    ip netns del "$nsB" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$nsA" 2>/dev/null || skip "cannot make network namespaces here"
ip netns add "$nsB" || exit 1
ip link add "$vA" type veth peer name "$vB" || skip "cannot make a veth pair here"
ip link set "$vA" netns "$nsA" && ip link set "$vB" netns "$nsB" || exit 1
ip -n "$nsA" addr add "${net}1/24" dev "$vA" && ip -n "$nsB" addr add "${net}2/24" dev "$vB" || exit 1
for ns in "$nsA" "$nsB"; do ip -n "$ns" link set lo up; done
ip -n "$nsA" link set "$vA" up && ip -n "$nsB" link set "$vB" up || exit 1
# A limited broadcast needs a route to leave by.
ip -n "$nsB" route add default dev "$vB" || exit 1

export QT_QPA_PLATFORM=offscreen HOME="$work"
ip netns exec "$nsA" "$standin" >"$work/standin.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q "listening" "$work/standin.log" && break; sleep 0.1; done

status=0
if ! ZP_E2E_SERVER_HOST="${net}1" ip netns exec "$nsB" "$endtoend"; then
    echo "FAIL: the keypad did not find the server or could not send"
    status=1
fi
sleep 0.5
for line in a6 kar6 SpeedButton35; do
    if ! grep -qE " $line\$" "$work/standin.log"; then
        echo "FAIL: the server did not receive $line"
        status=1
    fi
done
echo "--- zp-standin"
cat "$work/standin.log"

# A second copy of the keypad ends at start with the bind error; the first goes on.
ip netns exec "$nsB" "$client" >"$work/first.log" 2>&1 &
first=$!
pids+=($first)
sleep 1
ip netns exec "$nsB" "$client" >"$work/second.log" 2>&1
code=$?
if [ "$code" -ne 1 ]; then
    echo "FAIL: the second copy exited with $code, not 1"
    status=1
fi
if ! grep -q "Could not bind socket. Address and port are already in use." "$work/second.log"; then
    echo "FAIL: the second copy did not report the bind error:"
    cat "$work/second.log"
    status=1
fi
if ! kill -0 "$first" 2>/dev/null; then
    echo "FAIL: the first copy did not survive the second"
    status=1
fi

[ $status -eq 0 ] && echo "PASS: discovery across namespaces, lines received, second copy refused"
exit $status
