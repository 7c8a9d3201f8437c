#!/bin/sh
# What burning picture subtitles costs: tarvelo-transcode on a film with a
# Blu-ray subtitle track it burns in (a German reader, English sound)
# against the same film without the track. The film is cropped 1080p
# (1920x800, grain, 24 pictures a second) with a two-line caption shown
# for 2.5 s of every 4, placed on a 1920x1080 canvas as discs place them.
# Prints the CPU-time (user+sys) ratio, with/without (goal: <= 1.10). The
# runs alternate, pair by pair, so that other load hits both alike.
#
# With SOURCE "dvd" the film is a DVD's interlaced MPEG-2 (720x576, 16:9)
# with DVD subtitles instead: cheap to decode, so the overlay weighs more.
#
# Usage: bench/burn.sh [BUILD_DIR] [PAIRS] [MINUTES] [bluray|dvd]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${1:-$here/../build}
pairs=${2:-2}
minutes=${3:-3}
source=${4:-bluray}
tool="$build_dir/tarvelo-transcode"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds=$((minutes * 60))

echo "making $minutes min of footage and captions in $work ..."
python3 - "$work/captions.sup" "$seconds" <<'EOF'
import struct, sys
path, seconds = sys.argv[1], int(sys.argv[2])

def segment(kind, at, payload):
    return b"PG" + struct.pack(">IIBH", int(at * 90000), 0, kind, len(payload)) + payload

def line(width, phase):
    # Letters as runs of white with a dark border, spaces between words.
    out, x = b"", 0
    while x < width:
        run = min(width - x, 6 + (x * 7 + phase) % 23)
        colour = 0 if (x // 40 + phase) % 5 == 0 else (2 if run < 9 else 1)
        out += b"\x00" + bytes([0xC0 | (run >> 8), run & 0xFF, colour]) if colour else \
               b"\x00" + bytes([0x40 | (run >> 8), run & 0xFF])
        x += run
    return out + b"\x00\x00"

def caption(at, end, number, y):
    width, height = 1200, 120
    rle = b"".join(line(width, number + row // 30) for row in range(height))
    pcs = struct.pack(">HHBHBBBB", 1920, 1080, 0x10, 2 * number, 0x80, 0, 0, 1)
    pcs += struct.pack(">HBBHH", 0, 0, 0, 360, y)
    wds = struct.pack(">BBHHHH", 1, 0, 360, y, width, height)
    pds = struct.pack(">BB", 0, 0) + bytes([1, 235, 128, 128, 255, 2, 16, 128, 128, 200])
    size = len(rle) + 4
    ods = struct.pack(">HBB", 0, 0, 0xC0) + size.to_bytes(3, "big") + struct.pack(">HH", width, height) + rle
    clear = struct.pack(">HHBHBBBB", 1920, 1080, 0x10, 2 * number + 1, 0, 0, 0, 0)
    return (segment(0x16, at, pcs) + segment(0x17, at, wds) + segment(0x14, at, pds) + segment(0x15, at, ods)
            + segment(0x80, at, b"") + segment(0x16, end, clear) + segment(0x17, end, wds) + segment(0x80, end, b""))

with open(path, "wb") as out:
    for number, at in enumerate(range(1, seconds - 3, 4)):
        out.write(caption(at, at + 2.5, number, 900 if number % 5 else 80))
EOF
if [ "$source" = dvd ]; then
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=720x576:rate=50,noise=alls=6:allf=t+u,interlace" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000" -t "$seconds" -map 0:v -map 1:a \
        -c:v mpeg2video -b:v 6M -flags +ildct+ilme -aspect 16:9 -c:a ac3 "$work/picture.mkv"
    codec=dvdsub
else
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x800:rate=24,noise=alls=6:allf=t+u" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000" -t "$seconds" -map 0:v -map 1:a \
        -c:v libx264 -preset veryfast -crf 18 -c:a aac "$work/picture.mkv"
    codec=copy
fi
ffmpeg -nostdin -v error -y -copyts -i "$work/picture.mkv" -fix_sub_duration -i "$work/captions.sup" \
    -map 0 -map 1 -c:v copy -c:a copy -c:s "$codec" -metadata:s:a:0 language=eng -metadata:s:s:0 language=ger \
    "$work/with.mkv"
ffmpeg -nostdin -v error -y -i "$work/picture.mkv" -map 0 -c copy -metadata:s:a:0 language=eng "$work/without.mkv"

cpu() {
    /usr/bin/time -f "%U %S" -o "$work/time" env LANG=de_DE.UTF-8 LANGUAGE= LC_ALL= \
        "$tool" -i "$work/$1.mkv" -vcodec mpeg4 -aq 50 -acodec libmp3lame -aq 50 -f avi "$work/$1.avi" >/dev/null
    awk '{ print $1 + $2 }' "$work/time"
}

with=0
without=0
pair=1
while [ "$pair" -le "$pairs" ]; do
    a=$(cpu without)
    b=$(cpu with)
    echo "pair $pair: without ${a}s, with ${b}s CPU"
    without=$(echo "$without + $a" | bc -l)
    with=$(echo "$with + $b" | bc -l)
    pair=$((pair + 1))
done
printf 'CPU ratio with/without burned captions: %.3f (goal <= 1.10)\n' "$(echo "$with / $without" | bc -l)"
