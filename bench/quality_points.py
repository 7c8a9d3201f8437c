#!/usr/bin/env python3
"""Size and CPU time of tarvelo-transcode against two references at equal
picture quality, all within the players' limits: the same scaling and picture
rate (FILTER, what the tool does to this footage) for every command.

- plain: ffmpeg's encoder as it comes, ffmpeg -c:v mpeg4 -vtag XVID -q:v N;
- libxvid: the format's reference encoder under the same player limits,
  ffmpeg -c:v libxvid -g 250 -bf 0 -trellis 1 -flags +aic+cgop -q:v N.

Each reference runs over a range of quantisers and draws a curve of log size
and CPU time against PSNR; each slider point of the tool is set against that
curve at its own PSNR. A point beyond either end of a curve (slider 0 gives a
lower PSNR than libxvid's coarsest quantiser) is set against the curve's end
segment extended in log size, and the CPU time of its end, and marked "~".
Goals: size <= 0.80 of plain and <= 1.00 of libxvid,
CPU time <= 1.10 of libxvid's.

PSNR is taken frame by frame on decoded raw pictures: both sides are decoded
to YUV4MPEG, whose timestamps are plain frame numbers, so an AVI's picture n
is always compared with the source's picture n. A missing or extra frame shows
as a frame count that differs from the source's.

Each of the tool's files must also have a keyframe at every cut of the
footage, given as picture numbers.

usage: quality_points.py TOOL SOURCE WORKDIR FILTER CUT...
"""
import math
import os
import resource
import statistics
import subprocess
import sys

# From libxvid's finest to its coarsest, so that the slider's ends (its
# quantisers 2 and 31) fall within or next to each reference's range.
REFERENCE_QUANTISERS = [1, 2, 3, 4, 5, 7, 10, 14, 20, 25, 31]
TOOL_QUALITIES = [0, 25, 50, 75, 99]
REFERENCES = {
    "plain": ["-c:v", "mpeg4", "-vtag", "XVID"],
    "libxvid": ["-c:v", "libxvid", "-g", "250", "-bf", "0", "-trellis", "1", "-flags", "+aic+cgop"],
}
FFMPEG = ["ffmpeg", "-nostdin", "-v", "error", "-y"]


def cpu_seconds(command):
    """User plus system time of the command and every process it waited for."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def decode_to_raw(path, raw, video_filter="null"):
    subprocess.run(FFMPEG + ["-i", "file:" + path, "-map", "0:v:0", "-vf", video_filter, "-fps_mode", "passthrough",
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


def reference_at(curve, quality):
    """Size (interpolated in log size) and CPU time of a reference at a PSNR,
    and whether it lies beyond the curve's ends."""
    for low, high in zip(curve, curve[1:]):
        if low["psnr"] <= quality <= high["psnr"]:
            share = (quality - low["psnr"]) / (high["psnr"] - low["psnr"])
            size = math.exp(math.log(low["size"]) + share * (math.log(high["size"]) - math.log(low["size"])))
            return size, low["cpu"] + share * (high["cpu"] - low["cpu"]), False
    low, high = curve[:2] if quality < curve[0]["psnr"] else curve[-2:]
    end = low if quality < curve[0]["psnr"] else high
    share = (quality - low["psnr"]) / (high["psnr"] - low["psnr"])
    return math.exp(math.log(low["size"]) + share * (math.log(high["size"]) - math.log(low["size"]))), end["cpu"], True


def geometric_mean(ratios):
    return math.exp(statistics.fmean(math.log(r) for r in ratios)) if ratios else float("nan")


def main():
    tool, source, workdir, video_filter = sys.argv[1:5]
    cuts = [int(cut) for cut in sys.argv[5:]]
    reference = os.path.join(workdir, "reference.y4m")
    decode_to_raw(source, reference, video_filter)
    frames = frame_count(reference)
    output = os.path.join(workdir, "out.avi")

    curves = {}
    for name, encoder in REFERENCES.items():
        print(f"{name}: ffmpeg -i SOURCE -vf '{video_filter}' {' '.join(encoder)} -q:v N", flush=True)
        curve = [measure(f"q:v {q}", FFMPEG + ["-i", "file:" + source, "-an", "-vf", video_filter] + encoder
                         + ["-q:v", str(q), "-f", "avi", "file:" + output],
                         output, reference, workdir, frames)
                 for q in REFERENCE_QUANTISERS]
        curves[name] = sorted(curve, key=lambda point: point["psnr"])

    print("tarvelo-transcode:", flush=True)
    points = {}
    for q in TOOL_QUALITIES:
        command = [tool, "-i", source, "-vcodec", "mpeg4", "-aq", str(q), "-acodec", "libmp3lame",
                   "-aq", str(q), "-f", "avi", output]
        points[q] = measure(f"Q {q}", command, output, reference, workdir, frames, cuts)

    print("\nagainst the references at the same PSNR (size; CPU time):")
    ratios = {name: [] for name in REFERENCES}
    cpu_ratios = []
    for q in TOOL_QUALITIES:
        line = f"  Q {q:<3}"
        for name, curve in curves.items():
            size, cpu, beyond = reference_at(curve, points[q]["psnr"])
            ratios[name].append(points[q]["size"] / size)
            line += f"  {name}: size {'~' if beyond else ' '}{points[q]['size'] / size:.3f} CPU {points[q]['cpu'] / cpu:.3f}"
            if name == "libxvid":
                cpu_ratios.append(points[q]["cpu"] / cpu)
        print(line, flush=True)
    qualities = "/".join(map(str, TOOL_QUALITIES))
    print(f"  size against plain, geometric mean over Q {qualities}: {geometric_mean(ratios['plain']):.3f} (goal <= 0.80)")
    print(f"  size against libxvid, geometric mean over Q {qualities}: {geometric_mean(ratios['libxvid']):.3f} (goal <= 1.00)")
    print(f"  CPU time against libxvid, geometric mean over Q {qualities}: {geometric_mean(cpu_ratios):.3f} (goal <= 1.10)")

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
