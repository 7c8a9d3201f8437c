#!/usr/bin/env bash
# Takes the README's screenshot of the real window: starts the built
# application under a virtual X server with a few clips in its list and
# grabs the screen. Needs xvfb, x11-apps (xwd) and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
build=${BUILD_DIR:-build}

work=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/home" "$(dirname "$out")"

display=:77
Xvfb $display -screen 0 800x600x24 -nolisten tcp &
xvfb=$!
sleep 1

HOME="$work/home" DISPLAY=$display "$build/tarvelo" &
app=$!
sleep "${SCREENSHOT_DELAY:-3}"

xwd -root -display $display -silent > "$work/screen.xwd"
/usr/bin/convert "$work/screen.xwd" -trim +repage "$out"
echo "wrote $out"
