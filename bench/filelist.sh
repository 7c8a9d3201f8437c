#!/bin/sh
# Adding 200 files through the real window (start, dialog, 200 probes, rows)
# against 200 runs of the transcoder's probe alone, on the same files.
# Prints the median ratio of their wall times over alternating rounds;
# the target is at most 1.05.
#
# It measures on a set-up like a desktop's: the shared MIME database, which
# the file dialog consults for every listed file, and the hicolor and Adwaita
# icon themes, from which it takes every file's icon. Qt reads icon themes
# only on a real display, so the window runs on Xvfb as in a GNOME session
# when xvfb-run works; offscreen otherwise, and it says which.
# The two commands alternate, one run each per round, so that a load that
# comes and goes on a shared machine falls on both alike.
#
# Usage: bench/filelist.sh [BUILD_DIR] [ROUNDS]
set -eu

if [ -z "${TARVELO_BENCH_DISPLAY:-}" ] && command -v xvfb-run >/dev/null &&
    xvfb-run -a true >/dev/null 2>&1; then
    export TARVELO_BENCH_DISPLAY=xvfb
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh "$0" "$@"
fi

build=$(cd "${1:-build}" && pwd)
rounds=${2:-5}
count=200
driver="$build/bench/filelistbench"
tool="$build/tarvelo-transcode"
for need in "$driver" "$tool"; do
    [ -x "$need" ] || { echo "not built: $need" >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is needed" >&2; exit 1; }

missing=
[ -s /usr/share/mime/mime.cache ] || missing="$missing shared-mime-info"
[ -f /usr/share/icons/hicolor/index.theme ] || missing="$missing hicolor-icon-theme"
[ -f /usr/share/icons/Adwaita/index.theme ] || missing="$missing adwaita-icon-theme"
if [ -n "$missing" ]; then
    echo "a desktop-like set-up needs:$missing (apt-get install$missing)" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir "$work/media" "$work/runtime"
chmod 700 "$work/runtime"
ffmpeg -v error -nostdin -y -f lavfi -i testsrc=duration=3:size=160x120:rate=10 \
    -f lavfi -i sine=duration=3 -shortest "$work/clip.mp4"
i=1
while [ "$i" -le "$count" ]; do
    cp "$work/clip.mp4" "$work/media/clip $(printf %03d "$i").mp4"
    i=$((i + 1))
done

# The reference: the tool started once per file from the program folder,
# exactly as the window starts it.
cat > "$work/probes.sh" <<SCRIPT
cd "$build"
for f in "$work"/media/*.mp4; do
    ./tarvelo-transcode -i "\$f" > /dev/null 2>&1
done
SCRIPT

export HOME="$work" XDG_CONFIG_HOME="$work/.config" XDG_RUNTIME_DIR="$work/runtime"
if [ "${TARVELO_BENCH_DISPLAY:-}" = xvfb ]; then
    export QT_QPA_PLATFORM=xcb XDG_CURRENT_DESKTOP=GNOME
    echo "set-up: MIME database, hicolor and Adwaita icon themes; window on Xvfb as in a GNOME session"
else
    export QT_QPA_PLATFORM=offscreen
    echo "set-up: MIME database, hicolor and Adwaita icon themes; window offscreen (no xvfb-run: icon themes unread)"
fi
"$driver" "$build" "$work/media"

hyperfine --runs 1 --style none --export-csv "$work/warmup.csv" \
    "sh '$work/probes.sh'" "'$driver' '$build' '$work/media'" > /dev/null
round=1
while [ "$round" -le "$rounds" ]; do
    hyperfine --runs 1 --style none --export-csv "$work/round.csv" \
        --command-name "probes alone" "sh '$work/probes.sh'" \
        --command-name "adding through the window" "'$driver' '$build' '$work/media'" > /dev/null
    awk -F, 'NR == 2 { probes = $2; probesCpu = $5 + $6 } NR == 3 { adding = $2; addingCpu = $5 + $6 }
        END { printf "%s %s %s %s\n", probes, adding, probesCpu, addingCpu }' "$work/round.csv" >> "$work/times.txt"
    round=$((round + 1))
done

awk '{ printf "round %d: probes %.2f s, adding %.2f s, ratio %.3f (processor time %.3f)\n",
    NR, $1, $2, $2 / $1, $4 / $3 }' "$work/times.txt"
# The median of the rounds' ratios: one round that a passing load spoils
# moves it less than it moves the ratio of the means, printed beside it.
# Processor time, the tool runs' included, barely moves with the load; it
# tells a busy machine's noise from a real change.
median=$(awk '{ print $2 / $1 }' "$work/times.txt" | sort -n |
    awk '{ r[NR] = $1 } END { print (NR % 2) ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2 }')
awk -v median="$median" '{ probes += $1; adding += $2; probesCpu += $3; addingCpu += $4 }
    END { printf "processor time ratio: %.3f\n", addingCpu / probesCpu
          printf "ratio (adding %d files / %d probes alone): %.3f (target <= 1.05; ratio of the means %.3f)\n",
          '"$count"', '"$count"', median, adding / probes }' "$work/times.txt"
