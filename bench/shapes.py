#!/usr/bin/env python3
"""Times two orvane-convert builds on the same files, run after run in turn, so that the
load of a shared machine falls on both alike. Called by bench/shapes.sh.

  shapes.py BASE_CONVERT THIS_CONVERT WORK_DIR
"""
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RUNS = int(os.environ.get("BENCH_RUNS", "9"))
OUT = "/dev/shm/orvane-bench-shapes.csv"  # on tmpfs: the conversion is measured, not the disk
FILES = [  # dialect, rows, encoding, line end, --format
    ("navitel", 1_000_000, "utf8", "lf", "navitel"),
    ("navitel", 250_000, "cp1251", "crlf", "navitel"),
    ("igo", 1_000_000, "utf8", "lf", "igo"),
    ("nine", 1_000_000, "utf8", "lf", "navitel"),
    ("nine", 250_000, "cp1251", "crlf", "navitel"),
]


def run(convert, fmt, enc, path):
    start = time.perf_counter()
    r = subprocess.run([convert, "--format", fmt, "--encoding", enc, "--config",
                        os.path.join(ROOT, "resources", "Config.txt"), "-o", OUT, path],
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    elapsed = time.perf_counter() - start
    if r.returncode not in (0, 3):
        sys.exit(f"bench: {convert} failed on {path} with exit code {r.returncode}")
    objects = r.stdout.split(": ", 1)[1].split(" objects", 1)[0]
    return elapsed, objects


def main():
    base, this, work = sys.argv[1:4]
    print(f"Runs per cell: {RUNS}, the two builds in turn; seconds, min / median.")
    print()
    print("| file | MB | objects base / this | base | this | this/base (median) |")
    print("|---|---|---|---|---|---|")
    for dialect, rows, enc, eol, fmt in FILES:
        name = f"{dialect}-{rows // 1000}k-{enc}-{eol}.txt"
        path = os.path.join(work, name)
        if not os.path.exists(path):
            subprocess.run([sys.executable, os.path.join(ROOT, "bench", "generate.py"), dialect,
                            str(rows), enc, eol, path], check=True)
        encoding = "ansi" if enc == "cp1251" else "utf8"
        times = {base: [], this: []}
        objects = {}
        for _ in range(RUNS):
            for convert in (base, this):
                t, objects[convert] = run(convert, fmt, encoding, path)
                times[convert].append(t)
        b, t = times[base], times[this]
        print(f"| {name} | {os.path.getsize(path) / 1e6:.1f} | {objects[base]} / {objects[this]} "
              f"| {min(b):.3f} / {statistics.median(b):.3f} | {min(t):.3f} / {statistics.median(t):.3f} "
              f"| {statistics.median(t) / statistics.median(b):.2f} |")


if __name__ == "__main__":
    main()
