#!/bin/bash
# Takes the screenshots in docs/screenshots: the document window on a small archive with its
# first folder selected (window.png), then with a text entry (preview-text.png) and a picture
# entry (preview-picture.png) previewed, drawn under a virtual X server and clicked with xdotool.
# Installs Xvfb, ImageMagick and xdotool through apt when missing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KIST_SCREENSHOT_BUILD:-$root/build-screenshot}"
shots="$root/docs/screenshots"

need=()
command -v Xvfb >/dev/null || need+=(xvfb xauth)
[ -x /usr/bin/import ] || need+=(imagemagick)
command -v xdotool >/dev/null || need+=(xdotool)
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

# A sunset to preview: sky, sea and sun.
/usr/bin/convert -size 480x320 gradient:'#3b6fb6'-'#f6b26b' \
    -fill '#ffd966' -draw 'circle 330,200 330,250' \
    -fill '#1f4e79' -draw 'rectangle 0,230 480,320' "$work/sunset.png"

# The letter is stored in cp1251, as an old Windows program would have written it: the preview
# detects the encoding.
/usr/bin/python3 - "$work/Holiday.zip" "$work/sunset.png" <<'PY'
import sys, zipfile
letter = ('Дорогая Анна!\n\nМы приехали в Валенсию вчера вечером. Гостиница стоит у самого '
          'моря, из окна видно гавань и старый маяк. Завтра идём на рынок, а потом на пляж.\n\n'
          'Маршрут:\n  понедельник: Валенсия, рынок и собор\n  вторник: Альбуфера, паэлья\n'
          '  среда: поезд в Барселону\n\nОбнимаю,\nМиша\n')
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('Documents/itinerary.txt', letter.encode('cp1251'))
    z.write(sys.argv[2], 'Photos/sunset.png')
    for name in ['Documents/tickets.pdf', 'Documents/hotel.txt', 'Photos/beach.jpg',
                 'Photos/Day 2/market.jpg', 'Recipes/paella.txt', 'README.txt']:
        z.writestr(name, ('Kist sample: ' + name + '\n') * 200)
PY

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 980x620x24 -nolisten tcp &
xserver=$!
sleep 1

# Private settings and temp folder: the run leaves nothing in the user's own.
export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp"
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR"
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$build/src/kist" "$work/Holiday.zip" &
app=$!
sleep 4

shoot() {
    DISPLAY="$display" /usr/bin/import -window root "$shots/$1"
    echo "wrote $shots/$1"
}
click() {
    DISPLAY="$display" xdotool mousemove "$1" "$2" click 1
    sleep 2
}

mkdir -p "$shots"
shoot window.png
click 250 92 # Documents/itinerary.txt, in the second column
shoot preview-text.png
click 50 112 # Photos, in the first column
click 250 92 # Photos/sunset.png
shoot preview-picture.png
