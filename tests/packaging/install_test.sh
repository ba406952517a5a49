#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package into a scratch root, checks every file it lists, runs the
# installed keypad against the installed stand-in inside a network namespace of its own (a
# tap's line must arrive, and the power tile must close the keypad with the settings file
# written), then removes the package and checks that nothing is left.
# Usage: install_test.sh PACKAGE.deb TAP_DRIVER.so
set -u
deb=$1 driver=$2
skip() { echo "SKIP: $*"; exit 77; }
status=0
fail() { echo "FAIL: $*"; status=1; }

command -v dpkg >/dev/null || skip "dpkg is not installed"
[ "$(id -u)" -eq 0 ] || skip "installing into a scratch root and making a network namespace need root"
command -v ip >/dev/null || skip "iproute2 (ip) is not installed"
[ -f "$deb" ] || { echo "FAIL: no package $deb"; exit 1; }

tag=$$
ns=zpI$tag link=zpi$tag peer=zpj$tag
net=10.78.$((tag % 250)).
work=$(mktemp -d)
root=$work/root
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    ip netns del "$ns" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# An empty root with a dpkg database of its own. It holds none of the packages this one
# depends on (they are the host's, and the installed programs use the host's libraries), so
# dependencies are not checked. --path-include undoes any path-exclude of the host's dpkg
# configuration (some images leave out manual pages and documents).
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
pkg=(dpkg --root="$root" --log=/dev/null --force-depends --path-include='*')

# The files the package must hold, and no others.
expected="/usr/bin/zp-client
/usr/bin/zp-standin
/usr/bin/zp-webpad
/usr/share/applications/zp-client.desktop
/usr/share/applications/zp-webpad.desktop
/usr/share/doc/zp-client/changelog.gz
/usr/share/doc/zp-client/copyright
/usr/share/icons/hicolor/256x256/apps/zp-client.png
/usr/share/icons/hicolor/scalable/apps/zp-client.svg
/usr/share/man/man1/zp-client.1.gz
/usr/share/man/man1/zp-standin.1.gz
/usr/share/man/man1/zp-webpad.1.gz
/usr/share/metainfo/org.zpclient.keypad.metainfo.xml"

echo "--- installing $(basename "$deb")"
# dpkg warns about every dependency this root lacks: its output is shown only on failure.
if ! "${pkg[@]}" --install "$deb" >"$work/dpkg.log" 2>&1; then
    cat "$work/dpkg.log"
    echo "FAIL: dpkg could not install the package"
    exit 1
fi

listed=$("${pkg[@]}" --listfiles zp-client | grep -v '^/\.$')
files=""
while IFS= read -r path; do
    if [ ! -e "$root$path" ]; then
        fail "$path is listed but not installed"
    elif [ -f "$root$path" ]; then
        files+="$path"$'\n'
    fi
done <<<"$listed"
if [ "$(sort <<<"$files" | sed '/^$/d')" != "$expected" ]; then
    fail "the package's files differ from the expected ones:"
    diff <(echo "$expected") <(sort <<<"$files" | sed '/^$/d')
fi
# Every installed file has the checksum the package gives it.
verify=$("${pkg[@]}" --verify zp-client 2>&1) || fail "dpkg --verify: $verify"
[ -z "$verify" ] || fail "dpkg --verify: $verify"

for program in zp-client zp-standin zp-webpad; do
    [ -x "$root/usr/bin/$program" ] || fail "/usr/bin/$program is not executable"
    if command -v readelf >/dev/null && readelf -S "$root/usr/bin/$program" | grep -qE '\.(symtab|debug_info)'; then
        fail "/usr/bin/$program is not stripped"
    fi
done
for page in zp-client zp-standin zp-webpad; do
    gzip -t "$root/usr/share/man/man1/$page.1.gz" || fail "$page.1.gz is not valid gzip"
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.SH NAME" || fail "$page.1.gz is no manual page"
done

# The installed programs, in a namespace of their own: the keypad binds its real discovery
# port, and its broadcast must not leave the machine. A virtual cable with both ends in the
# namespace gives the limited broadcast a way out; the kernel also delivers it to the
# stand-in on the same host.
ip netns add "$ns" 2>/dev/null || skip "cannot make network namespaces here"
ip -n "$ns" link set lo up || exit 1
ip -n "$ns" link add "$link" type veth peer name "$peer" || skip "cannot make a veth pair here"
ip -n "$ns" addr add "${net}1/24" dev "$link" || exit 1
ip -n "$ns" link set "$link" up && ip -n "$ns" link set "$peer" up || exit 1
ip -n "$ns" route add default dev "$link" || exit 1

home=$work/home
mkdir -p "$home/Documents" "$work/runtime"
chmod 700 "$work/runtime"
run() {
    timeout 60 ip netns exec "$ns" env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$work/runtime" \
        QT_QPA_PLATFORM=offscreen "$@"
}

echo "--- the installed keypad against the installed stand-in"
run "$root/usr/bin/zp-standin" >"$work/standin.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q "listening" "$work/standin.log" && break; sleep 0.1; done
grep -q "listening on TCP port 6000, discovery on UDP port 8090" "$work/standin.log" ||
    fail "the installed zp-standin did not start"

run ZP_TAPS="a6 off" LD_PRELOAD="$driver" "$root/usr/bin/zp-client" >"$work/client.log" 2>&1
code=$?
cat "$work/client.log"
[ $code -eq 0 ] || fail "the installed zp-client exited with $code, not 0"
grep -q "tapping off" "$work/client.log" || fail "the power tile was never tapped"
sleep 0.2
grep -qE " a6\$" "$work/standin.log" ||
    fail "the stand-in did not receive the tapped sign a6"
settings="$home/Documents/ZP.INI"
if [ ! -f "$settings" ]; then
    fail "closing did not write $settings"
else
    tr -d '\r' <"$settings" | grep -qx "port=6000" || fail "ZP.INI does not hold port=6000"
    tr -d '\r' <"$settings" | grep -qx "ipserver=${net}1" || fail "ZP.INI does not hold ipserver=${net}1"
fi
echo "--- zp-standin"
cat "$work/standin.log"
echo "--- ZP.INI"
cat "$settings" 2>/dev/null

echo "--- removing"
"${pkg[@]}" --purge zp-client >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg could not remove the package"; }
left=$(cd "$root" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg' \
    ! -path './var/lib/dpkg/*')
[ -z "$left" ] || fail "removing the package left behind: $left"
! grep -q "^Package: zp-client$" "$root/var/lib/dpkg/status" || fail "the package is still registered"

[ $status -eq 0 ] && echo "PASS: installed, every file checked, a tap arrived, closed with the settings written, removed without a trace"
exit $status
