#!/usr/bin/env python3
"""Times orvane-convert with and without --no-duplicates and --near on a million objects,
run after run in turn, so that the load of a shared machine falls on all alike; and shows the
peak memory of each. Called by bench/places.sh.

  places.py CONVERT WORK_DIR
"""
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RUNS = int(os.environ.get("BENCH_RUNS", "9"))
OUT = "/dev/shm/orvane-bench-places.csv"  # on tmpfs: the conversion is measured, not the disk
HOME = "37.6175,55.7522"  # Moscow
CASES = [  # name, options
    ("plain", []),
    ("--no-duplicates", ["--no-duplicates"]),
    ("--near", ["--near", HOME]),
    ("both", ["--no-duplicates", "--near", HOME]),
]


def generate(work, name, *args):
    path = os.path.join(work, name)
    if not os.path.exists(path):
        subprocess.run([sys.executable, os.path.join(ROOT, "bench", "generate.py"), *args[:4],
                        path, *args[4:]], check=True)
    return path


def run(convert, fmt, options, inputs):
    cmd = [convert, "--format", fmt, "--config", os.path.join(ROOT, "resources", "Config.txt"),
           *options, "-o", OUT, *inputs]
    start = time.perf_counter()
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    elapsed = time.perf_counter() - start
    if r.returncode not in (0, 3):
        sys.exit(f"bench: {' '.join(cmd)} failed with exit code {r.returncode}")
    return elapsed, r.stdout


def peak_mib(convert, fmt, options, inputs):
    r = subprocess.run(["/usr/bin/time", "-f", "%M", convert, "--format", fmt, "--config",
                        os.path.join(ROOT, "resources", "Config.txt"), *options, "-o", OUT,
                        *inputs], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(r.stderr.strip().splitlines()[-1]) / 1024


def main():
    convert, work = sys.argv[1:3]
    os.makedirs(work, exist_ok=True)
    a = generate(work, "navitel-500k-a.txt", "navitel", "500000", "utf8", "lf",
                 "--overlap", os.path.join(work, "navitel-500k-b.txt"), "0.3")
    b = os.path.join(work, "navitel-500k-b.txt")
    inputs = [
        ("navitel-1000k-utf8-lf.txt", "navitel",
         [generate(work, "navitel-1000k-utf8-lf.txt", "navitel", "1000000", "utf8", "lf")]),
        ("navitel-500k-a.txt + b.txt (30 % of b repeats a)", "navitel", [a, b]),
        ("igo-1000k-utf8-lf.txt", "igo",
         [generate(work, "igo-1000k-utf8-lf.txt", "igo", "1000000", "utf8", "lf")]),
    ]
    print(f"Runs per cell: {RUNS}, the four in turn; seconds, min / median; x: median against "
          "plain; peak memory in MiB.")
    print()
    print("| input | " + " | ".join(name for name, _ in CASES) + " |")
    print("|---|" + "---|" * len(CASES))
    for label, fmt, paths in inputs:
        times = {name: [] for name, _ in CASES}
        for _ in range(RUNS):
            for name, options in CASES:
                times[name].append(run(convert, fmt, options, paths)[0])
        plain = statistics.median(times["plain"])
        cells = []
        for name, options in CASES:
            t = times[name]
            cells.append(f"{min(t):.3f} / {statistics.median(t):.3f} "
                         f"({statistics.median(t) / plain:.2f}x, "
                         f"{peak_mib(convert, fmt, options, paths):.0f} MiB)")
        print(f"| {label} | " + " | ".join(cells) + " |")
    out = run(convert, "navitel", ["--no-duplicates", "--near", HOME], [a, b])[1]
    print()
    print("Last run's summary, the overlapping pair with both options:")
    for line in out.splitlines():
        if not line.startswith(" "):
            print("    " + line)


if __name__ == "__main__":
    main()
