#!/bin/bash
# Drives the desktop application under a virtual X server the way a user does, with xdotool and
# a window manager when one is installed (openbox): on a zip it runs Extract Selected through
# the context menu, View with Return, Show in Folder, then Extract with Ctrl+E; in an empty
# window it runs Add… from the keyboard's menu and Zip from the menu with the mouse. Each step's
# result is checked on disk (or in what the desktop was asked to open, and what was asked of the
# file manager on a private session bus). Not part of the test command; prints one line per step.
# Installs Xvfb, xdotool, x11-utils and dbus-bin through apt when missing.
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KIST_DRIVE_BUILD:-$root/build/release}"

need=()
command -v Xvfb >/dev/null || need+=(xvfb xauth)
command -v xdotool >/dev/null || need+=(xdotool)
command -v xwininfo >/dev/null || need+=(x11-utils)
command -v dbus-monitor >/dev/null || need+=(dbus-bin dbus-daemon)
if [ ${#need[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get install -y --no-install-recommends "${need[@]}"
fi
[ -x "$build/src/kist" ] || cmake --build "$build" --target kist -j2

work="$(mktemp -d)"
pids=()
cleanup() {
    # Newest first: the X server goes last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
    [ -n "${bus_pid:-}" ] && kill "$bus_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

/usr/bin/python3 - "$work" <<'PY'
import os, sys, zipfile
work = sys.argv[1]
with zipfile.ZipFile(os.path.join(work, 'sample.zip'), 'w') as z:
    for name in ['docs/a.txt', 'docs/b.txt', 'top.txt']:
        z.writestr(name, 'contents of ' + name)
os.makedirs(os.path.join(work, 'items/folder'))
for name in ['folder/inner.txt', 'file.txt']:
    with open(os.path.join(work, 'items', name), 'w') as f:
        f.write('gathered ' + name)
PY

# The desktop's opener, as Qt calls it on a desktop without a portal: it notes what it opens.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$1" >> "%s/opened.log"\n' "$work" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1100x700x24 -nolisten tcp &
pids+=($!)
sleep 1
export DISPLAY="$display" QT_QPA_PLATFORM=xcb PATH="$work/bin:$PATH"
export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" XDG_CURRENT_DESKTOP=none
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR"
if command -v openbox >/dev/null; then
    openbox &
    pids+=($!)
    sleep 1
fi
bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1)"
export DBUS_SESSION_BUS_ADDRESS="$(echo "$bus" | sed -n 1p)"
bus_pid="$(echo "$bus" | sed -n 2p)"
dbus-monitor "interface='org.freedesktop.FileManager1'" > "$work/bus.log" 2>&1 &
pids+=($!)

failures=0
report() { # report NAME CONDITION...
    local name="$1"
    shift
    if "$@"; then echo "ok      $name"; else echo "FAILED  $name"; failures=$((failures + 1)); fi
}
wait_for() { # wait_for SECONDS CONDITION...
    local seconds="$1"
    shift
    for _ in $(seq $((seconds * 10))); do "$@" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}
launch() {
    "$build/src/kist" "$@" > "$work/kist.log" 2>&1 &
    kist=$!
    pids+=($kist)
}
# The window of the title, raised and focused; its client area's corner in origin_x/origin_y.
focus() {
    for _ in $(seq 20); do
        window="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1)"
        if [ -n "$window" ] && xdotool windowactivate --sync "$window" 2>/dev/null; then
            origin_x="$(xwininfo -id "$window" 2>/dev/null | awk '/Absolute upper-left X/ {print $4}')"
            origin_y="$(xwininfo -id "$window" 2>/dev/null | awk '/Absolute upper-left Y/ {print $4}')"
            [ -n "$origin_x" ] && return 0
        fi
        sleep 0.5
    done
    echo "no window $1" >&2
    exit 1
}
# Clicks at a point of the window's client area (button 1 unless given).
click() {
    xdotool mousemove $((origin_x + $1)) $((origin_y + $2)) click "${3:-1}"
    sleep 1
}

launch "$work/sample.zip"
focus sample.zip
sleep 1
# The browser's rows: the first column from x 50, the second from 250; rows 20 pixels apart
# from y 87 (below the menu bar and the toolbar).
click 50 87                # docs
click 250 87 3             # the context menu of docs/a.txt
click 290 97               # its first item, Extract Selected
report "Extract Selected from the context menu: a.txt beside the archive" \
    wait_for 10 test -f "$work/a.txt"

xdotool key Return
report "View with Return: the entry opened from a private copy" \
    wait_for 10 grep -q "/a.txt\$" "$work/opened.log"

click 250 87 3
click 290 163              # the context menu's fourth item, Show in Folder
report "Show in Folder: the file manager asked to show the archive" \
    wait_for 10 grep -q "file://$work/sample.zip" "$work/bus.log"
report "Show in Folder without a file manager: the archive's folder opened instead" \
    wait_for 10 grep -qx "file://$work" "$work/opened.log"

xdotool key ctrl+e
report "Extract with Ctrl+E: the archive extracted into sample/" \
    wait_for 20 test -f "$work/sample/docs/b.txt"
# The window closes after a whole extraction, and Kist with its last window.
report "the window closed after extracting, and Kist quit" wait_for 20 sh -c "! kill -0 $kist"

launch
focus Untitled
xdotool key alt+a Return   # Archive ▸ Add…, the only item enabled in an empty window
sleep 2
xdotool type --delay 20 "\"$work/items/folder\" \"$work/items/file.txt\""
xdotool key Return
sleep 2
focus Untitled
click 66 9                 # the Archive menu
click 90 231               # Zip
report "Add… from the keyboard, then Zip from the menu: items/folder.zip written" \
    wait_for 20 test -f "$work/items/folder.zip"
report "the zip holds what was gathered" \
    sh -c "unzip -l '$work/items/folder.zip' | grep -q 'folder/inner.txt' && unzip -l '$work/items/folder.zip' | grep -q 'file.txt'"

echo "$failures step(s) failed"
exit $((failures > 0))
