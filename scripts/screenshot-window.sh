#!/bin/bash
# Takes the screenshots in docs/screenshots, drawn under a virtual X server and clicked with
# xdotool: the document window on a small archive with its first folder selected (window.png),
# its Archive menu open (menus.png), a text entry and a picture entry previewed
# (preview-text.png, preview-picture.png), the context menu of an entry (context-menu.png), and
# the progress sheet over a window extracting a larger archive (sheet.png).
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
# detects the encoding. The passport scan is encrypted, and the browser marks it so. Big.zip is
# large enough for the progress sheet to stay up a few seconds.
/usr/bin/python3 - "$work" <<'PY'
import os, subprocess, sys, zipfile
work = sys.argv[1]
letter = ('Дорогая Анна!\n\nМы приехали в Валенсию вчера вечером. Гостиница стоит у самого '
          'моря, из окна видно гавань и старый маяк. Завтра идём на рынок, а потом на пляж.\n\n'
          'Маршрут:\n  понедельник: Валенсия, рынок и собор\n  вторник: Альбуфера, паэлья\n'
          '  среда: поезд в Барселону\n\nОбнимаю,\nМиша\n')
with zipfile.ZipFile(os.path.join(work, 'Holiday.zip'), 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('Documents/itinerary.txt', letter.encode('cp1251'))
    z.write(os.path.join(work, 'sunset.png'), 'Photos/sunset.png')
    for name in ['Documents/tickets.pdf', 'Documents/hotel.txt', 'Photos/beach.jpg',
                 'Photos/Day 2/market.jpg', 'Recipes/paella.txt', 'Music/fado.mp3', 'README.txt']:
        z.writestr(name, ('Kist sample: ' + name + '\n') * 200)
os.makedirs(os.path.join(work, 'secret/Documents'))
with open(os.path.join(work, 'secret/Documents/passport.pdf'), 'wb') as f:
    f.write(b'%PDF-1.4 Kist sample\n' * 100)
subprocess.run(['zip', '-q', '-P', 'secret', os.path.join(work, 'Holiday.zip'),
                'Documents/passport.pdf'], cwd=os.path.join(work, 'secret'), check=True)
with zipfile.ZipFile(os.path.join(work, 'Big.zip'), 'w', zipfile.ZIP_BZIP2) as z:
    z.writestr('Videos/trip.mov', os.urandom(48 * 1024 * 1024))
PY

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 980x620x24 -nolisten tcp &
xserver=$!
sleep 1

# Private settings and temp folder, and no session bus: the run leaves nothing in the user's own
# and hands nothing to a Kist the user runs.
export XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/none"
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR"
launch() {
    DISPLAY="$display" QT_QPA_PLATFORM=xcb "$build/src/kist" "$1" &
    app=$!
    sleep 4
}
shoot() {
    DISPLAY="$display" /usr/bin/import -window root "$shots/$1"
    echo "wrote $shots/$1"
}
click() {
    DISPLAY="$display" xdotool mousemove "$1" "$2" click "${3:-1}"
    sleep 2
}
key() {
    DISPLAY="$display" xdotool key "$1"
    sleep 1
}

mkdir -p "$shots"
launch "$work/Holiday.zip"
shoot window.png
click 66 9 # the Archive menu
shoot menus.png
key Escape
click 250 83 # Documents/itinerary.txt, in the second column
shoot preview-text.png
click 250 143 3 # the context menu of Documents/passport.pdf
shoot context-menu.png
key Escape
click 50 103 # Photos, in the first column
click 250 83 # Photos/sunset.png
shoot preview-picture.png
kill "$app"
wait "$app" 2>/dev/null || true

launch "$work/Big.zip"
DISPLAY="$display" xdotool mousemove 33 45 click 1 # Extract
sleep 3
shoot sheet.png
