#!/bin/sh
# Adding 200 files through the real window (start, dialog, 200 probes, rows)
# against 200 runs of the transcoder's probe alone, on the same files.
# Prints the ratio of the mean wall times; the target is at most 1.10.
#
# Usage: bench/filelist.sh [BUILD_DIR] [RUNS]
set -eu

build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
count=200
driver="$build/bench/filelistbench"
tool="$build/tarvelo-transcode"
for need in "$driver" "$tool"; do
    [ -x "$need" ] || { echo "not built: $need" >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir "$work/media"
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

export QT_QPA_PLATFORM=offscreen HOME="$work" XDG_CONFIG_HOME="$work/.config"
"$driver" "$build" "$work/media"

hyperfine --warmup 1 --runs "$runs" --export-csv "$work/times.csv" \
    --command-name "probes alone" "sh '$work/probes.sh'" \
    --command-name "adding through the window" "'$driver' '$build' '$work/media'"

awk -F, 'NR == 2 { probes = $2 } NR == 3 { adding = $2 }
    END { printf "ratio (adding %d files / %d probes alone): %.3f (target <= 1.10)\n", '"$count"', '"$count"', adding / probes }' \
    "$work/times.csv"
