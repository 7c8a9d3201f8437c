#!/bin/sh
# Speed of tarvelo-transcode against its reference:
#   probe:   tarvelo-transcode -i F   vs   ffprobe -v error -show_entries format=duration F
#   convert: tarvelo-transcode (Q 50) vs   the very ffmpeg command the tool runs
# on a 720p clip of 20 s. The two commands run alternately, pair by pair, and
# the median per-pair ratio is printed with the spread of the middle half of
# the pairs (the machine's noise). Targets: probe <= 0.60, convert <= 1.03.
#
# Usage: bench/transcoder.sh [BUILD_DIR] [RUNS]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${1:-$here/../build}
runs=${2:-15}
tool=$(cd "$build_dir" && pwd)/tarvelo-transcode
[ -x "$tool" ] || { echo "no tarvelo-transcode in $build_dir" >&2; exit 1; }
real_ffmpeg=$(command -v ffmpeg) || { echo "ffmpeg is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

echo "making a 20 s 720p clip in $work ..."
ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1280x720:rate=30:duration=20 \
    -f lavfi -i sine=frequency=440:sample_rate=48000:duration=20 \
    -c:v libx264 -preset veryfast -crf 23 -c:a aac -shortest "$work/clip720.mp4"

# Record the tool's own ffmpeg arguments from a real run, so the reference
# does exactly the same work.
mkdir "$work/bin"
cat > "$work/bin/ffmpeg" <<'WRAP'
#!/bin/sh
for arg; do printf '%s\0' "$arg"; done > "$BENCH_ARGS"
exec "$REAL_FFMPEG" "$@"
WRAP
chmod +x "$work/bin/ffmpeg"
BENCH_ARGS="$work/args" REAL_FFMPEG="$real_ffmpeg" PATH="$work/bin:$PATH" \
    "$tool" -i "$work/clip720.mp4" -vcodec mpeg4 -aq 50 -acodec libmp3lame -aq 50 -f avi "$work/first.avi" >/dev/null
# The last argument was the tool's unnamed temporary file; write a plain one instead.
reference=$(python3 -c 'import sys; a = open(sys.argv[1], "rb").read().split(b"\0")[:-1]; print("\n".join(x.decode() for x in a[1:-1]))' "$work/args")

echo "probe (${runs}x2 pairs):"
python3 "$here/transcoder_pairs.py" "probe  " 0.60 "$((runs * 2))" 3 "" \
    -- "$tool" -i "$work/clip720.mp4" \
    -- ffprobe -v error -show_entries format=duration "$work/clip720.mp4"

echo "convert ($runs pairs):"
# shellcheck disable=SC2086 # one argument per line, none holds a newline
old_ifs=$IFS; IFS='
'
set -- $reference
IFS=$old_ifs
python3 "$here/transcoder_pairs.py" "convert" 1.03 "$runs" 1 "rm -f '$work/out.avi' '$work/reference.avi'" \
    -- "$tool" -i "$work/clip720.mp4" -vcodec mpeg4 -aq 50 -acodec libmp3lame -aq 50 -f avi "$work/out.avi" \
    -- "$real_ffmpeg" "$@" "file:$work/reference.avi"
