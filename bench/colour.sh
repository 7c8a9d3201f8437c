#!/bin/sh
# What bringing HDR to SDR costs: the CPU time of tarvelo-transcode on a film
# in HLG and in PQ (HDR10) against the same film in 10-bit SDR (BT.709), each
# HEVC at 1080p, made here from one SDR master of photographs Debian ships
# (mate-backgrounds, installed when missing): 10 s of pans at 25 pictures a
# second, put into HLG and PQ with reference white at 203 cd/m2. The runs
# alternate, pair by pair, so that other load hits both alike; the median
# ratio is printed (goal: HLG <= 1.20), with each output's PSNR against the
# master as an SD player reads it (BT.601, TV range).
#
# On a two-core machine it takes two to four minutes (more when shared).
#
# Usage: bench/colour.sh [BUILD_DIR] [PAIRS]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${1:-$here/../build}
pairs=${2:-3}
. "$here/photographs.sh"

echo "making 10 s of 1080p footage in $work ..."
ffmpeg -nostdin -v error -y \
    -loop 1 -framerate 25 -i "$photos/Garden.jpg" -loop 1 -framerate 25 -i "$photos/LadyBird.jpg" \
    -filter_complex "[0:v]scale=3200:2000,crop=1920:1080:x='(iw-1920)*t/5':y=400,trim=duration=5,setpts=PTS-STARTPTS[a];
                     [1:v]scale=2880:1800,crop=1920:1080:x='(iw-1920)*t/5':y=300,trim=duration=5,setpts=PTS-STARTPTS[b];
                     [a][b]concat=n=2:v=1,format=gbrp[v]" \
    -map "[v]" -c:v ffv1 "$work/master.mkv"
hevc() {
    # $1 output, $2 filters; $3 transfer, $4 matrix and $5 primaries as ffmpeg names them
    ffmpeg -nostdin -v error -y -i "$work/master.mkv" -vf "$2,format=yuv420p10le" \
        -c:v libx265 -preset veryfast -crf 16 -x265-params log-level=error \
        -colorspace "$4" -color_primaries "$5" -color_trc "$3" "$1"
}
towards() {
    # zimg's filter from the RGB master to the transfer $1, primaries $2 and matrix $3
    echo "zscale=tin=bt709:pin=709:min=gbr:rin=full:t=$1:p=$2:m=$3:r=tv:npl=203"
}
hevc "$work/sdr.mp4" "$(towards bt709 709 709)" bt709 bt709 bt709
hevc "$work/hlg.mp4" "$(towards arib-std-b67 2020 2020_ncl)" arib-std-b67 bt2020nc bt2020
hevc "$work/pq.mp4" "$(towards smpte2084 2020 2020_ncl)" smpte2084 bt2020nc bt2020
# The master as an SD player reads the outputs.
ffmpeg -nostdin -v error -y -i "$work/master.mkv" \
    -vf "scale=720:406:flags=lanczos:out_color_matrix=bt601:out_range=tv,format=yuv420p" -c:v ffv1 "$work/sd.mkv"

python3 - "$tool" "$work" "$pairs" <<'PY'
import os, resource, statistics, subprocess, sys

tool, work, pairs = sys.argv[1], sys.argv[2], int(sys.argv[3])

def cpu(name):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run([tool, "-i", os.path.join(work, name + ".mp4"), "-vcodec", "mpeg4", "-aq", "90",
                    "-acodec", "libmp3lame", "-aq", "90", "-f", "avi", os.path.join(work, name + ".avi")],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)

def psnr(name):
    text = subprocess.run(["ffmpeg", "-nostdin", "-i", os.path.join(work, name + ".avi"),
                           "-i", os.path.join(work, "sd.mkv"), "-lavfi", "psnr", "-f", "null", "-"],
                          capture_output=True, text=True).stderr
    return text.rsplit("PSNR ", 1)[1].split(" average")[0]

ratios = {"hlg": [], "pq": []}
for pair in range(pairs):
    order = ["sdr", "hlg", "pq"] if pair % 2 == 0 else ["pq", "hlg", "sdr"]
    times = {name: cpu(name) for name in order}
    print(f"pair {pair + 1}: " + ", ".join(f"{name} {times[name]:.2f} s CPU" for name in ["sdr", "hlg", "pq"]))
    for name in ratios:
        ratios[name].append(times[name] / times["sdr"])
for name, goal in [("hlg", " (goal <= 1.20)"), ("pq", "")]:
    print(f"CPU ratio {name} / 10-bit SDR: {statistics.median(ratios[name]):.3f}{goal}")
for name in ["sdr", "hlg", "pq"]:
    print(f"{name}: {psnr(name)} dB against the master")
PY
