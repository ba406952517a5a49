#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows setup program under Wine, in a fresh prefix and a network namespace of its own.
# Installed silently for the machine (Wine's user is an administrator): every file in place and
# no other, the Start-menu entries of the keypad and of zp-webpad ("ZP Client for tablets"),
# the entry under installed apps, the keypad's icon resource, the firewall rules asked for. The
# installed keypad, from the installed folder alone (no Qt or MinGW folder on Wine's path),
# finds the installed stand-in by its broadcast, sends a tapped sign and saves ZP.INI when the
# power tile closes it; the installed zp-webpad finds it the same way, and a tablet's tap
# through it reaches the stand-in. Uninstalled: no installed file, entry or rule left, and
# ZP.INI where it was, unchanged. Then the same install and uninstall for the current user only
# (/CurrentUser), which asks for no firewall rule.
# Wine has no firewall: that the rules are asked for, with what, is read from Wine's trace of
# the programs the setup program starts (netsh).
# Usage: windows_installer_test.sh SETUP.exe
set -u
setup=$1
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIP: $*"; exit 77; }
status=0
fail() { echo "FAIL: $*"; status=1; }

[ "$(id -u)" -eq 0 ] || skip "the network namespace of the tap needs root"
for tool in wine wineserver wineboot Xvfb xdotool wrestool ip python3; do
    command -v $tool >/dev/null || skip "$tool is not installed"
done
[ -f "$setup" ] || { echo "FAIL: no setup program $setup"; exit 1; }

tag=$$
ns=zpW$tag
display=:$((300 + tag % 300))
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    [ -n "${WINEPREFIX:-}" ] && ip netns exec "$ns" wineserver -k 2>/dev/null
    wait 2>/dev/null
    ip netns del "$ns" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=$display
unset WINEPATH
# Every Wine program runs in the namespace, the Wine server with them: it owns their sockets.
in_ns() { timeout 120 ip netns exec "$ns" "$@"; }
wait_for() {
    local what=$1 tries=$2
    shift 2
    for _ in $(seq "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.5
    done
    fail "$what"
    return 1
}

ip netns add "$ns" 2>/dev/null || skip "cannot make network namespaces here"
ip -n "$ns" link set lo up || exit 1
# The limited broadcast needs a route to leave by; on lo it comes back to this namespace.
ip -n "$ns" route add default dev lo || exit 1
ip netns exec "$ns" Xvfb "$display" -screen 0 1024x720x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for "Xvfb did not start" 20 xdotool getdisplaygeometry || exit 1

echo "--- a fresh Wine prefix"
in_ns wineboot -i >"$work/wineboot.log" 2>&1
in_ns wineserver -w
c=$WINEPREFIX/drive_c
user=$(id -un)
documents=$c/users/$user/Documents
# Wine links the user's Documents to the Linux home: here it is a folder of the prefix.
[ -L "$documents" ] && rm "$documents"
mkdir -p "$documents"

uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\ZP Client'
rule='ZP Client: answers of the ZP server (UDP 8091)'
webpad_search_rule='ZP Client for tablets: answers of the ZP server (UDP 8091)'
webpad_tablets_rule='ZP Client for tablets: connections from tablets (TCP 8094)'
expected="Qt6Core.dll
Qt6Gui.dll
Qt6Network.dll
Qt6Widgets.dll
README.txt
Uninstall.exe
imageformats/qico.dll
libgcc_s_seh-1.dll
libstdc++-6.dll
libwinpthread-1.dll
platforms/qwindows.dll
styles/qwindowsvistastyle.dll
zp-client.exe
zp-standin.exe
zp-webpad.exe"

# The programs a run of Wine started, as its trace of processes gives their command lines.
started() {
    sed -n 's/.*NtCreateUserProcess .* cmdline L"\(.*\)" parent.*/\1/p' "$1" | sed 's/\\\\/\\/g; s/\\"/"/g'
}

# install LOG ARGS...: runs the setup program silently and waits until it and its helpers end.
install() {
    local log=$1
    shift
    WINEDEBUG=-all,trace+process in_ns wine "$setup" /S "$@" >"$log" 2>&1 || fail "setup $* exited with $?"
    in_ns wineserver -w
}

# uninstall FOLDER LOG: the uninstaller copies itself away and starts the copy, so the end of
# every Wine program is waited for.
uninstall() {
    local folder=$1 log=$2
    WINEDEBUG=-all,trace+process in_ns wine "$folder/Uninstall.exe" /S >"$log" 2>&1 ||
        fail "the uninstaller exited with $?"
    in_ns wineserver -w
}

registry() {
    in_ns wine reg query "$1\\$uninstall_key" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# The Start-menu entry of zp-webpad, beside the keypad's.
tablets_entry() { echo "${1%/*}/ZP Client for tablets.lnk"; }

check_installed() {
    local dir=$1 windir=$2 hive=$3 shortcut=$4
    local files
    files=$(cd "$dir" 2>/dev/null && find . -type f | sed 's|^\./||' | sort)
    [ "$files" = "$expected" ] || {
        fail "the installed files differ from the expected ones:"
        diff <(echo "$expected") <(echo "$files")
    }
    [ -f "$shortcut" ] || fail "no Start-menu entry $shortcut"
    [ -f "$(tablets_entry "$shortcut")" ] || fail "no Start-menu entry $(tablets_entry "$shortcut")"
    [ "$(registry "$hive" DisplayName)" = "ZP Client" ] || fail "no entry under installed apps in $hive"
    [ "$(registry "$hive" InstallLocation)" = "$windir" ] || fail "$hive's entry names another folder"
    [ "$(registry "$hive" UninstallString)" = "\"$windir\\Uninstall.exe\"" ] ||
        fail "$hive's entry has no uninstaller"
    wrestool -l "$dir/zp-client.exe" | grep -q "type=14 --name='IDI_ICON1'.*group_icon" ||
        fail "the installed zp-client.exe has no icon resource"
}

check_removed() {
    local dir=$1 hive=$2 shortcut=$3
    [ ! -e "$dir" ] || fail "uninstalling left: $(cd "$dir" && find . -mindepth 1)"
    [ ! -e "$shortcut" ] || fail "uninstalling left the Start-menu entry"
    [ ! -e "$(tablets_entry "$shortcut")" ] || fail "uninstalling left the Start-menu entry for tablets"
    [ -z "$(registry "$hive" DisplayName)" ] || fail "uninstalling left the entry in $hive"
}

echo "--- installing for the machine"
machine_dir="$c/Program Files/ZP Client"
machine_windir='C:\Program Files\ZP Client'
machine_shortcut="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZP Client.lnk"
install "$work/install.log"
check_installed "$machine_dir" "$machine_windir" HKLM "$machine_shortcut"
netsh='"C:\windows\system32\netsh.exe" advfirewall firewall'
for asked in \
    "add rule name=\"$rule\" dir=in action=allow protocol=UDP localport=8091 program=\"$machine_windir\\zp-client.exe\" profile=private,domain" \
    "add rule name=\"$webpad_search_rule\" dir=in action=allow protocol=UDP localport=8091 program=\"$machine_windir\\zp-webpad.exe\" profile=private,domain" \
    "add rule name=\"$webpad_tablets_rule\" dir=in action=allow protocol=TCP localport=8094 program=\"$machine_windir\\zp-webpad.exe\" profile=private,domain"; do
    started "$work/install.log" | grep -qxF "$netsh $asked" ||
        fail "the setup program did not ask for: $asked; it started: $(started "$work/install.log")"
done

echo "--- the installed keypad against the installed stand-in"
in_ns wine "$machine_dir/zp-standin.exe" >"$work/standin.log" 2>&1 &
pids+=($!)
wait_for "the installed zp-standin.exe did not start" 60 grep -q "listening" "$work/standin.log"
timeout 180 ip netns exec "$ns" wine "$machine_dir/zp-client.exe" >"$work/client.log" 2>&1 &
client=$!
pids+=($client)
if wait_for "the installed keypad's window did not open" 60 xdotool search --name "ZP Client" &&
    wait_for "the installed keypad did not find the stand-in" 30 grep -q " connected" "$work/standin.log"; then
    # The window fills a screen of the design's size: a6 of the ascent chart and the power
    # tile are where the layout puts them.
    xdotool mousemove 691 484 click 1
    wait_for "the stand-in did not receive a6" 20 bash -c "tr -d '\r' <'$work/standin.log' | grep -q ' a6\$'"
    sleep 0.3
    xdotool mousemove 233 27 click 1
    wait_for "the installed keypad did not close" 30 bash -c "! kill -0 $client"
fi
wait_for "no ZP.INI in $documents" 4 test -f "$documents/ZP.INI"
echo "--- zp-standin.exe"
cat "$work/standin.log"
echo "--- ZP.INI"
cat "$documents/ZP.INI" 2>/dev/null
tr -d '\r' <"$documents/ZP.INI" 2>/dev/null | grep -qx "port=6000" || fail "ZP.INI does not hold port=6000"

echo "--- the installed zp-webpad against the installed stand-in"
in_ns wine "$machine_dir/zp-webpad.exe" --headless --port 8094 --key-file "Z:$work/webpad-key" \
    --url-host 127.0.0.1 >"$work/webpad.log" 2>&1 &
pids+=($!)
wait_for "the installed zp-webpad did not find the stand-in by its broadcast" 60 \
    grep -q "ZP server found at .*:6000" "$work/webpad.log"
url=$(grep -o 'http://[^ ]*' "$work/webpad.log" | head -n 1 | tr -d '\r')
before=$(tr -d '\r' <"$work/standin.log" | grep -c ' a6$')
if [ -n "$url" ]; then
    in_ns python3 "$here/../webpad/tap_once.py" "$url" a6 || fail "the tablet's tap was not confirmed"
    [ "$(tr -d '\r' <"$work/standin.log" | grep -c ' a6$')" -gt "$before" ] ||
        fail "the tablet's tap did not reach the stand-in"
else
    fail "the installed zp-webpad serves no page"
fi
echo "--- zp-webpad.exe"
cat "$work/webpad.log"
kill "${pids[@]:1}" 2>/dev/null
in_ns wineserver -k 2>/dev/null
settings=$(cat "$documents/ZP.INI" 2>/dev/null)

echo "--- uninstalling for the machine"
uninstall "$machine_dir" "$work/uninstall.log"
check_removed "$machine_dir" HKLM "$machine_shortcut"
for name in "$rule" "$webpad_search_rule" "$webpad_tablets_rule"; do
    started "$work/uninstall.log" | grep -qxF "$netsh delete rule name=\"$name\"" ||
        fail "the uninstaller did not remove the rule $name; it started: $(started "$work/uninstall.log")"
done
[ -f "$documents/ZP.INI" ] && [ "$(cat "$documents/ZP.INI")" = "$settings" ] ||
    fail "uninstalling did not leave ZP.INI as it was"

echo "--- installing and uninstalling for the current user"
user_dir="$c/users/$user/AppData/Local/Programs/ZP Client"
user_windir="C:\\users\\$user\\AppData\\Local\\Programs\\ZP Client"
user_shortcut="$c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/ZP Client.lnk"
install "$work/install-user.log" /CurrentUser
check_installed "$user_dir" "$user_windir" HKCU "$user_shortcut"
! started "$work/install-user.log" | grep -q netsh || fail "a per-user install asked for a firewall rule"
uninstall "$user_dir" "$work/uninstall-user.log"
check_removed "$user_dir" HKCU "$user_shortcut"
[ -f "$documents/ZP.INI" ] && [ "$(cat "$documents/ZP.INI")" = "$settings" ] ||
    fail "uninstalling did not leave ZP.INI as it was"

[ $status -eq 0 ] && echo "PASS: installed for the machine and for the user, every file, entry, icon and rule checked; the installed keypad found the installed stand-in, sent a6 and saved ZP.INI; the installed zp-webpad found it too and passed a tablet's a6 on; uninstalled without a trace, ZP.INI kept"
exit $status
