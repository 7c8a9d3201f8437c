#!/bin/sh
# What encoding in segments on every core gives: tarvelo-transcode with its
# default number of jobs (one per core) against TARVELO_ENCODE_JOBS=1, on a
# ten-minute 720p clip at 30 pictures a second with hard cuts and film grain,
# made here from photographs Debian ships (mate-backgrounds, installed when
# missing). Prints the wall-time and CPU-time ratios (goals on two cores:
# wall <= 0.65, CPU <= 1.05), and the size and PSNR of both outputs (goal:
# size within 1 % at equal PSNR). The runs alternate, pair by pair, so that
# other load hits both alike.
#
# On a two-core machine one pair takes about six minutes (more when shared);
# the clip needs about 1.2 GB in $TMPDIR.
#
# With SOURCE "dvd" the same footage is first made a DVD's MPEG-2 (PAL,
# 16:9, 6 Mb/s, a keyframe every 12 pictures), which ffmpeg decodes on one
# thread: one process then leaves a core idle.
#
# Usage: bench/segments.sh [BUILD_DIR] [PAIRS] [MINUTES] [h264|dvd]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${1:-$here/../build}
pairs=${2:-1}
minutes=${3:-10}
source=${4:-h264}
. "$here/photographs.sh"

# Thirty seconds of ten scenes (pans and zooms over four photographs, with
# grain that changes every picture), repeated to the length asked for: the
# encoder sees new grain in every picture all the same.
echo "making $minutes min of 720p footage in $work ..."
scene() {
    # $1 input, $2 motion, $3 grain, $4 label
    printf '[%s]%s,setsar=1,trim=duration=3,setpts=PTS-STARTPTS,noise=alls=%s:allf=t+u[%s];' "$1" "$2" "$3" "$4"
}
pan="scale=2560:1600,crop=1280:720:x='(iw-1280)*t/3':y='(ih-720)/2+60*sin(t)'"
zoom="scale=w='1280*(1.6-0.15*t)':h=-2:eval=frame,crop=1280:720"
graph=""
labels=""
for i in 0 1 2 3 4 5 6 7 8 9; do
    input=$((i % 4)):v
    if [ $((i % 2)) -eq 0 ]; then motion=$pan; else motion=$zoom; fi
    graph=$graph$(scene "$input" "$motion" $((4 + 2 * (i % 3))) "s$i")
    labels="$labels[s$i]"
done
graph="${graph}${labels}concat=n=10:v=1:a=0,format=yuv420p[v]"
ffmpeg -nostdin -v error -y \
    -loop 1 -framerate 30 -i "$photos/Garden.jpg" -loop 1 -framerate 30 -i "$photos/LadyBird.jpg" \
    -loop 1 -framerate 30 -i "$photos/Storm.jpg" -loop 1 -framerate 30 -i "$photos/Wood.jpg" \
    -filter_complex "$graph" -map "[v]" -r 30 -c:v libx264 -preset veryfast -crf 16 "$work/scenes.mp4"
ffmpeg -nostdin -v error -y -stream_loop -1 -i "$work/scenes.mp4" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$((minutes * 60))" \
    -map 0:v -map 1:a -t $((minutes * 60)) -c:v copy -c:a aac -ac 2 "$work/film.mp4"
film=film.mp4
if [ "$source" = dvd ]; then
    echo "making it a DVD's MPEG-2 ..."
    ffmpeg -nostdin -v error -y -i "$work/film.mp4" -vf "scale=720:576,setsar=64/45,fps=25" \
        -c:v mpeg2video -b:v 6M -maxrate 9M -bufsize 1835k -g 12 -bf 2 -aspect 16:9 -c:a ac3 \
        -f vob "$work/film.vob"
    film=film.vob
fi

python3 - "$tool" "$work" "$pairs" "$film" <<'PY'
import os, resource, subprocess, sys, time

tool, work, pairs = sys.argv[1], sys.argv[2], int(sys.argv[3])
film = os.path.join(work, sys.argv[4])

def convert(jobs, output):
    environment = dict(os.environ)
    if jobs:
        environment["TARVELO_ENCODE_JOBS"] = jobs
    else:
        environment.pop("TARVELO_ENCODE_JOBS", None)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([tool, "-i", film, "-vcodec", "mpeg4", "-aq", "50", "-acodec", "libmp3lame", "-aq", "50",
                    "-f", "avi", output], env=environment, stdout=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu

walls, cpus = [], []
for pair in range(pairs):
    order = [("1", "one.avi"), (None, "default.avi")]
    if pair % 2:
        order.reverse()
    results = {name: convert(jobs, os.path.join(work, name)) for jobs, name in order}
    (w1, c1), (wd, cd) = results["one.avi"], results["default.avi"]
    print(f"pair {pair + 1}: one job {w1:.0f} s wall, {c1:.0f} s CPU; default {wd:.0f} s wall, {cd:.0f} s CPU")
    walls.append(wd / w1)
    cpus.append(cd / c1)
walls.sort()
cpus.sort()
print(f"wall ratio (default / one job): {walls[len(walls) // 2]:.3f}  (goal <= 0.65 on two cores)")
print(f"CPU ratio  (default / one job): {cpus[len(cpus) // 2]:.3f}  (goal <= 1.05)")

def psnr(path):
    text = subprocess.run(["ffmpeg", "-nostdin", "-i", film, "-i", path, "-lavfi",
                           "[0:v]scale=720:406:flags=lanczos,setsar=1[a];[a][1:v]psnr", "-f", "null", "-"],
                          capture_output=True, text=True).stderr
    return float(text.rsplit("average:", 1)[1].split()[0])

one, default = os.path.join(work, "one.avi"), os.path.join(work, "default.avi")
size = os.path.getsize(default) / os.path.getsize(one)
print(f"size ratio (default / one job): {size:.4f}; PSNR {psnr(default):.2f} dB against {psnr(one):.2f} dB")
PY
