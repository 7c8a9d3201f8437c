#!/usr/bin/env python3
"""Size and CPU time of tarvelo-transcode against the plain ffmpeg command at
equal picture quality.

The plain command (ffmpeg -c:v mpeg4 -vtag XVID -q:v N) runs over a range of
quantisers and draws a curve of log size and CPU time against PSNR; each
slider point of the tool is set against that curve at its own PSNR.

PSNR is taken frame by frame on decoded raw pictures: both sides are decoded
to YUV4MPEG, whose timestamps are plain frame numbers, so an AVI's picture n
is always compared with the source's picture n. A missing or extra frame shows
as a frame count that differs from the source's.

Each of the tool's files must also have a keyframe at every cut of the
footage, given as picture numbers.

usage: quality_points.py TOOL SOURCE WORKDIR CUT...
"""
import math
import os
import resource
import statistics
import subprocess
import sys

PLAIN_QUANTISERS = [2, 3, 4, 5, 7, 10, 14, 20]
TOOL_QUALITIES = [0, 25, 50, 75, 99]
RATIO_QUALITIES = [25, 50, 75]
FFMPEG = ["ffmpeg", "-nostdin", "-v", "error", "-y"]


def cpu_seconds(command):
    """User plus system time of the command and every process it waited for."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def decode_to_raw(path, raw):
    subprocess.run(FFMPEG + ["-i", "file:" + path, "-map", "0:v:0", "-fps_mode", "passthrough",
                             "-pix_fmt", "yuv420p", "-f", "yuv4mpegpipe", raw], check=True)


def psnr(path, reference, workdir):
    """Mean-squared-error PSNR over all frames, and the number of frames."""
    raw = os.path.join(workdir, "decoded.y4m")
    stats = os.path.join(workdir, "psnr.log")
    decode_to_raw(path, raw)
    subprocess.run(FFMPEG + ["-i", raw, "-i", reference,
                             "-lavfi", "[0:v][1:v]psnr=stats_file=" + stats, "-f", "null", "-"],
                   check=True)
    errors = []
    with open(stats) as log:
        for line in log:
            fields = dict(item.split(":", 1) for item in line.split())
            errors.append(float(fields["mse_avg"]))
    os.unlink(raw)
    return 10 * math.log10(255 ** 2 / statistics.fmean(errors)), len(errors)


def frame_count(reference):
    """Frames in a 4:2:0 YUV4MPEG file whose frames carry no parameters."""
    with open(reference, "rb") as raw:
        header = raw.readline().split()
    width = int(next(word[1:] for word in header if word.startswith(b"W")))
    height = int(next(word[1:] for word in header if word.startswith(b"H")))
    frame = len(b"FRAME\n") + width * height * 3 // 2
    return (os.path.getsize(reference) - len(b" ".join(header)) - 1) // frame


def keyframes(path):
    flags = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                            "frame=key_frame", "-of", "csv=p=0", "file:" + path],
                           check=True, capture_output=True, text=True).stdout.split()
    return {number for number, flag in enumerate(flags) if flag == "1"}


def measure(name, command, output, reference, workdir, frames, cuts=()):
    cpu = cpu_seconds(command)
    size = os.path.getsize(output)
    quality, compared = psnr(output, reference, workdir)
    missed = sorted(set(cuts) - keyframes(output)) if cuts else []
    os.unlink(output)
    note = "" if compared == frames else f"  ({compared} frames, source has {frames})"
    if cuts:
        note += f"  keyframes at {len(cuts) - len(missed)} of {len(cuts)} cuts"
        note += f" (missed {', '.join(map(str, missed))})" if missed else ""
    print(f"  {name:<14} {size / 1e6:8.2f} MB {quality:7.2f} dB {cpu:7.1f} s CPU{note}", flush=True)
    return {"size": size, "psnr": quality, "cpu": cpu}


def plain_at(curve, quality):
    """Size (interpolated in log size) and CPU time of the plain command at a PSNR."""
    for low, high in zip(curve, curve[1:]):
        if low["psnr"] <= quality <= high["psnr"]:
            share = (quality - low["psnr"]) / (high["psnr"] - low["psnr"])
            size = math.exp(math.log(low["size"]) + share * (math.log(high["size"]) - math.log(low["size"])))
            return size, low["cpu"] + share * (high["cpu"] - low["cpu"])
    return None


def main():
    tool, source, workdir = sys.argv[1:4]
    cuts = [int(cut) for cut in sys.argv[4:]]
    reference = os.path.join(workdir, "reference.y4m")
    decode_to_raw(source, reference)
    frames = frame_count(reference)
    output = os.path.join(workdir, "out.avi")

    print("plain command: ffmpeg -i SOURCE -c:v mpeg4 -vtag XVID -q:v N -f avi OUT", flush=True)
    curve = [measure(f"q:v {q}", FFMPEG + ["-i", "file:" + source, "-c:v", "mpeg4", "-vtag", "XVID",
                                           "-q:v", str(q), "-f", "avi", "file:" + output],
                     output, reference, workdir, frames)
             for q in PLAIN_QUANTISERS]
    curve.sort(key=lambda point: point["psnr"])

    print("tarvelo-transcode:", flush=True)
    points = {}
    for q in TOOL_QUALITIES:
        command = [tool, "-i", source, "-vcodec", "mpeg4", "-aq", str(q), "-acodec", "libmp3lame",
                   "-aq", str(q), "-f", "avi", output]
        points[q] = measure(f"Q {q}", command, output, reference, workdir, frames, cuts)

    print("\nagainst the plain command at the same PSNR:")
    size_ratios = []
    for q in RATIO_QUALITIES:
        plain = plain_at(curve, points[q]["psnr"])
        if plain is None:
            print(f"  Q {q:<3} outside the plain command's range")
            continue
        size_ratio = points[q]["size"] / plain[0]
        size_ratios.append(size_ratio)
        print(f"  Q {q:<3} size {size_ratio:.3f}   CPU time {points[q]['cpu'] / plain[1]:.3f}")
    if size_ratios:
        mean = math.exp(statistics.fmean(math.log(r) for r in size_ratios))
        print(f"  size, geometric mean over Q {'/'.join(map(str, RATIO_QUALITIES))}: {mean:.3f} (target <= 0.75)")
    plain = plain_at(curve, points[50]["psnr"])
    if plain:
        print(f"  CPU time at Q 50: {points[50]['cpu'] / plain[1]:.3f} (target <= 1.30)")

    seconds = frames / 30
    print("\nwhat the slider gives on this footage (video only):")
    print("| Q | size | video bit rate | PSNR |")
    print("|---|---|---|---|")
    for q in TOOL_QUALITIES:
        point = points[q]
        print(f"| {q} | {point['size'] / 1e6:.1f} MB | {point['size'] * 8 / seconds / 1e6:.2f} Mb/s "
              f"| {point['psnr']:.1f} dB |")


if __name__ == "__main__":
    main()
