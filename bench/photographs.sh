# What the photographic benchmarks share, sourced once build_dir is set: the
# built tool, ffmpeg, Debian's photographs to film and a scratch folder that
# goes at the end.
tool=$(cd "$build_dir" && pwd)/tarvelo-transcode
[ -x "$tool" ] || { echo "no tarvelo-transcode in $build_dir" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed" >&2; exit 1; }

photos=/usr/share/backgrounds/mate/nature
if [ ! -d "$photos" ]; then
    echo "installing the photographs (mate-backgrounds) ..."
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get install -y mate-backgrounds >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
