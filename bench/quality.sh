#!/bin/sh
# Picture quality for the space it takes, within what DVD players and TVs
# decode: tarvelo-transcode at the slider's points against ffmpeg's plain
# mpeg4 command and against libxvid under the same player limits, at the same
# PSNR and with the same scaling (720p becomes 720x406), with the CPU time
# each spends (see quality_points.py for the commands and the goals).
#
# The footage is made here from photographs that Debian ships (the
# mate-backgrounds package, installed when missing): 12 s of 720p at 30
# pictures a second in four scenes with hard cuts between them (a pan, a zoom
# out, a diagonal pan, a zoom in), once with film grain (heavy in the third
# scene) and once clean. Each of the tool's files must have a keyframe at
# every cut. Synthetic test patterns compress unlike real video, so they are
# not used.
#
# It takes five to ten minutes on a two-core machine (more when it is
# shared) and needs about 1 GB in $TMPDIR.
#
# Usage: bench/quality.sh [BUILD_DIR]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${1:-$here/../build}
. "$here/photographs.sh"

footage() {
    # $1 output, $2 grain strength: the third scene gets twice as much
    echo "making 12 s of 720p footage (grain $2) in $work ..."
    graph=$(scene 0:v "scale=2560:1600,crop=1280:720:x='(iw-1280)*t/3':y='(ih-720)/2+60*sin(t)'" "$2" a)
    graph=$graph$(scene 1:v "scale=w='1280*(1.6-0.15*t)':h=-2:eval=frame,crop=1280:720" "$2" b)
    graph=$graph$(scene 2:v "scale=1920:1280,crop=1280:720:x='(iw-1280)/2+150*sin(t*1.3)':y='(ih-720)*t/3'" "$(($2 * 2))" c)
    graph=$graph$(scene 3:v "scale=w='1280*(1.1+0.15*t)':h=-2:eval=frame,crop=1280:720:x='(iw-1280)*(0.2+0.2*t)/2':y=(ih-720)/3" "$2" d)
    graph="$graph[a][b][c][d]concat=n=4:v=1:a=0,format=yuv420p[v]"
    ffmpeg -nostdin -v error -y \
        -loop 1 -framerate 30 -i "$photos/Garden.jpg" \
        -loop 1 -framerate 30 -i "$photos/LadyBird.jpg" \
        -loop 1 -framerate 30 -i "$photos/Storm.jpg" \
        -loop 1 -framerate 30 -i "$photos/Wood.jpg" \
        -filter_complex "$graph" -map "[v]" -r 30 \
        -c:v libx264 -preset fast -crf 12 "$1"
}
scene() {
    # $1 input label, $2 its geometry and motion, $3 grain strength, $4 output label
    printf '[%s]%s,trim=duration=3,setpts=PTS-STARTPTS,noise=alls=%s:allf=t+u[%s];' "$1" "$2" "$3" "$4"
}

# What the tool does to 720p at 30 pictures a second, for the references too.
scaling="scale=720:406:flags=lanczos,setsar=1"
# The scenes start at pictures 0, 90, 180 and 270.
for grain in 4 0; do
    footage "$work/footage.mp4" "$grain"
    echo "== footage with grain $grain"
    python3 "$here/quality_points.py" "$tool" "$work/footage.mp4" "$work" "$scaling" 90 180 270
done
