#!/usr/bin/env python3
"""Times two commands alternately, pair by pair, so that load from other work
on a shared machine hits both alike; prints median times and the median of
the per-pair ratios with its spread (the machine's noise). The ratio of the
fastest runs is printed too: load only ever adds time, so it shows the tool's
own cost when the spread is wide; the verdict stays with the median.

usage: transcoder_pairs.py NAME TARGET RUNS WARMUP PREPARE -- TOOL... -- REFERENCE...
PREPARE is a shell command run (untimed) before every run, or "" for none.
"""
import statistics
import subprocess
import sys
import time


def timed(command, prepare):
    if prepare:
        subprocess.run(prepare, shell=True, check=True)
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def main():
    name, target, runs, warmup, prepare = sys.argv[1:6]
    rest = sys.argv[6:]
    split = [i for i, word in enumerate(rest) if word == "--"]
    tool, reference = rest[split[0] + 1:split[1]], rest[split[1] + 1:]
    for _ in range(int(warmup)):
        timed(tool, prepare)
        timed(reference, prepare)
    tool_times, reference_times, ratios = [], [], []
    for i in range(int(runs)):
        # Alternate which goes first, so neither always gets the warmer cache.
        if i % 2:
            r = timed(reference, prepare)
            t = timed(tool, prepare)
        else:
            t = timed(tool, prepare)
            r = timed(reference, prepare)
        tool_times.append(t)
        reference_times.append(r)
        ratios.append(t / r)
    ratio = statistics.median(ratios)
    quartiles = statistics.quantiles(ratios, n=4) if len(ratios) >= 2 else [ratio, ratio, ratio]
    verdict = "OK" if ratio <= float(target) else "ABOVE TARGET"
    print(f"{name}: tool {statistics.median(tool_times) * 1000:.1f} ms, "
          f"reference {statistics.median(reference_times) * 1000:.1f} ms, "
          f"ratio {ratio:.3f} (target <= {target}; middle half of {runs} pairs "
          f"{quartiles[0]:.3f}..{quartiles[2]:.3f}; fastest runs "
          f"{min(tool_times) / min(reference_times):.3f}) -> {verdict}")


if __name__ == "__main__":
    main()
