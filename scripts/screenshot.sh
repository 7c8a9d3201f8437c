#!/usr/bin/env bash
# Takes the README's screenshot of the real window: starts the built
# application under a virtual X server, adds a few clips through its own file
# dialog from the keyboard, and grabs the screen.
# Needs xvfb, x11-apps (xwd), xdotool, imagemagick and ffmpeg.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
build=${BUILD_DIR:-build}

work=$(mktemp -d)
app= xvfb=
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/Videos" "$(dirname "$out")"
for clip in "Summer holiday.mp4:95" "Birthday party.mov:187" "Concert.avi:42"; do
    ffmpeg -v error -f lavfi -i "testsrc=duration=${clip##*:}:size=320x240:rate=5" \
        -f lavfi -i "sine=duration=${clip##*:}" -shortest "$work/Videos/${clip%:*}"
done

export DISPLAY=:77
Xvfb $DISPLAY -screen 0 800x600x24 -nolisten tcp &
xvfb=$!
sleep 1

HOME="$work/home" "$build/tarvelo" &
app=$!
sleep 2
window=$(xdotool search --sync --name '^Tarvelo$' | head -n 1)
for clip in "Summer holiday.mp4" "Birthday party.mov" "Concert.avi"; do
    xdotool windowfocus --sync "$window" key alt+a
    sleep 1
    xdotool type --delay 20 "$work/Videos/$clip"
    xdotool key Return
    sleep 1.5
done
xdotool windowfocus --sync "$window"
sleep 0.5

xwd -root -silent > "$work/screen.xwd"
/usr/bin/convert "$work/screen.xwd" -trim +repage "$out"
echo "wrote $out"
