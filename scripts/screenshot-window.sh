#!/bin/bash
# Takes docs/screenshots/window.png: the document window on a small archive, its first folder
# selected, drawn under a virtual X server. Installs Xvfb and ImageMagick through apt when missing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KIST_SCREENSHOT_BUILD:-$root/build-screenshot}"
output="$root/docs/screenshots/window.png"

need=()
command -v Xvfb >/dev/null || need+=(xvfb xauth)
[ -x /usr/bin/import ] || need+=(imagemagick)
if [ ${#need[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get install -y --no-install-recommends "${need[@]}"
fi

# An existing build folder keeps its own configuration.
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DKIST_BUILD_TESTS=OFF -DKIST_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target kist -j2

work="$(mktemp -d)"
cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
    [ -n "${xserver:-}" ] && kill "$xserver" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

/usr/bin/python3 - "$work/Holiday.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for name in ['Documents/itinerary.txt', 'Documents/tickets.pdf', 'Documents/hotel.txt',
                 'Photos/beach.jpg', 'Photos/harbour.jpg', 'Photos/sunset.png',
                 'Photos/Day 2/market.jpg', 'Recipes/paella.txt', 'README.txt']:
        z.writestr(name, ('Kist sample: ' + name + '\n') * 200)
PY

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 980x600x24 -nolisten tcp &
xserver=$!
sleep 1

# Private settings and temp folder: the run leaves nothing in the user's own.
export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp"
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR"
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$build/src/kist" "$work/Holiday.zip" &
app=$!
sleep 4

mkdir -p "$(dirname "$output")"
DISPLAY="$display" /usr/bin/import -window root "$output"
echo "wrote $output"
