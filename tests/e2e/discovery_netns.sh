#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Real broadcast discovery in network namespaces. The keypad's namespace is on two networks,
# A (which holds its default route) and B, each a virtual cable to a namespace of its own
# where zp-standin can run. The keypad must find a server on either network, connect to
# exactly one when both answer, and search a network that comes up after it started from
# the next request on. Also checks that a second copy of the keypad on one machine ends at
# start with the bind error while the first goes on.
# Usage: discovery_netns.sh ZP_STANDIN ZP_CLIENT TST_ENDTOEND
set -u
standin=$1 client=$2 endtoend=$3
skip() { echo "SKIP: $*"; exit 77; }

[ "$(id -u)" -eq 0 ] || skip "network namespaces need root"
command -v ip >/dev/null || skip "iproute2 (ip) is not installed"

tag=$$
nsK=zpK$tag nsA=zpA$tag nsB=zpB$tag
kA=zpka$tag sA=zpsa$tag kB=zpkb$tag sB=zpsb$tag
netA=10.77.$((tag % 250)). netB=10.78.$((tag % 250)).
hostA=${netA}1 hostB=${netB}1
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    for ns in "$nsK" "$nsA" "$nsB"; do ip netns del "$ns" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add "$nsK" 2>/dev/null || skip "cannot make network namespaces here"
ip netns add "$nsA" && ip netns add "$nsB" || exit 1
ip link add "$kA" type veth peer name "$sA" || skip "cannot make a veth pair here"
ip link add "$kB" type veth peer name "$sB" || exit 1
# cable KEYPAD_LINK SERVER_LINK SERVER_NAMESPACE NETWORK: the keypad is .2, the server .1.
cable() {
    ip link set "$1" netns "$nsK" && ip link set "$2" netns "$3" \
        && ip -n "$nsK" addr add "${4}2/24" dev "$1" && ip -n "$3" addr add "${4}1/24" dev "$2" \
        && ip -n "$3" link set lo up && ip -n "$3" link set "$2" up \
        && ip -n "$nsK" link set "$1" up
}
cable "$kA" "$sA" "$nsA" "$netA" && cable "$kB" "$sB" "$nsB" "$netB" || exit 1
ip -n "$nsK" link set lo up || exit 1
# The limited broadcast leaves by the default route only: network A.
ip -n "$nsK" route add default dev "$kA" || exit 1

export QT_QPA_PLATFORM=offscreen HOME="$work"
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

standins=()
start_standin() { # NAMESPACE LOG
    ip netns exec "$1" "$standin" >"$2" 2>&1 &
    standins+=($!)
    pids+=($!)
    for _ in $(seq 50); do grep -q "listening" "$2" && return 0; sleep 0.1; done
    cat "$2"
    return 1
}
stop_standins() {
    for p in "${standins[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
    standins=()
}

# run_case NAME TEST_FUNCTION HOSTS SERVER_NAMESPACE...: zp-standin in each server namespace,
# the keypad test in its own; exactly one server gets a connection, and with it every line.
run_case() {
    local name=$1 function=$2 hosts=$3
    shift 3
    echo "=== $name"
    local logs=() ns log
    for ns in "$@"; do
        log="$work/$name-$ns.log"
        start_standin "$ns" "$log" || fail "$name: zp-standin did not start in $ns"
        logs+=("$log")
    done
    ZP_E2E_SERVER_HOSTS="$hosts" ZP_E2E_LATE_LINK="${late_link:-}" \
        ip netns exec "$nsK" "$endtoend" "$function" || fail "$name: the keypad test failed"
    stop_standins

    local connections=0 count line
    for log in "${logs[@]}"; do
        echo "--- ${log##*/}"
        cat "$log"
        grep -q " zp, replied " "$log" || fail "$name: a request never reached ${log##*/}"
        count=$(grep -c " connected\$" "$log")
        connections=$((connections + count))
        [ "$count" -eq 0 ] && continue
        for line in a6 kar6 SpeedButton35; do
            grep -qE " $line\$" "$log" || fail "$name: ${log##*/} did not receive $line"
        done
    done
    [ "$connections" -eq 1 ] || fail "$name: $connections connections, not 1"
}

run_case server-on-B findsTheServerAndSends "$hostB" "$nsB"
run_case server-on-A findsTheServerAndSends "$hostA" "$nsA"
run_case server-on-each findsTheServerAndSends "$hostA $hostB" "$nsA" "$nsB"
ip -n "$nsK" link set "$kB" down || exit 1
late_link=$kB run_case network-up-later searchesANetworkThatComesUpLater "$hostB" "$nsB"

# A second copy of the keypad ends at start with the bind error; the first goes on.
echo "=== second copy"
ip netns exec "$nsK" "$client" >"$work/first.log" 2>&1 &
first=$!
pids+=($first)
sleep 1
ip netns exec "$nsK" "$client" >"$work/second.log" 2>&1
code=$?
[ "$code" -eq 1 ] || fail "the second copy exited with $code, not 1"
if ! grep -q "Could not bind socket. Address and port are already in use." "$work/second.log"; then
    fail "the second copy did not report the bind error:"
    cat "$work/second.log"
fi
kill -0 "$first" 2>/dev/null || fail "the first copy did not survive the second"

[ $status -eq 0 ] && echo "PASS: discovery on either network and on both, a network that comes up later, second copy refused"
exit $status
