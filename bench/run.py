#!/usr/bin/env python3
"""Runs the benchmarks side by side and prints one table. Called by bench/run.sh."""
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build", "bench")
OUT = "/dev/shm/orvane-bench"  # outputs on tmpfs: the conversion is measured, not the disk
CONVERT = os.path.join(ROOT, "build", "host", "cli", "orvane-convert")
CONVERT_WIN = os.path.join(ROOT, "build", "win", "cli", "orvane-convert.exe")
RUNS = int(os.environ.get("BENCH_RUNS", "5"))


def timed(cmd, runs=RUNS, env=None, ok=(0,)):
    """Min and median wall time; a command that fails makes the whole run fail."""
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        r = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
        times.append(time.perf_counter() - start)
        if r.returncode not in ok:
            sys.exit(f"bench: {' '.join(cmd)} failed with exit code {r.returncode}\n"
                     f"{r.stderr.decode(errors='replace')}")
    return min(times), statistics.median(times)


# orvane-convert ends with 3 when the output reached the head unit's 6 MB cap.
CONVERTED = (0, 3)


def peak_kb(cmd, env=None):
    r = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE, text=True, env=env)
    return int(r.stderr.strip().splitlines()[-1])


def main():
    os.makedirs(WORK, exist_ok=True)
    os.makedirs(OUT, exist_ok=True)
    files = []
    for dialect in ("navitel", "igo"):
        for rows, enc, eol in ((25_000, "utf8", "lf"), (250_000, "cp1251", "crlf"),
                               (1_000_000, "utf8", "lf")):
            if dialect == "igo" and enc == "cp1251":
                enc = "utf8"
            name = f"{dialect}-{rows // 1000}k-{enc}-{eol}.txt"
            path = os.path.join(WORK, name)
            uni = path[:-4] + ".unicsv"
            if not (os.path.exists(path) and os.path.exists(uni)):
                subprocess.run([sys.executable, os.path.join(ROOT, "bench", "generate.py"), dialect,
                                str(rows), enc, eol, path, "--unicsv", uni], check=True)
            files.append((name, path, uni, dialect, "ansi" if enc == "cp1251" else "utf8", rows))

    print(f"Runs per cell: {RUNS}; times in seconds, min / median; outputs on tmpfs.")
    print()
    print("| file | MB | orvane-convert | wc -l (floor) | gpsbabel unicsv->csv | orvane/floor | gpsbabel/orvane |")
    print("|---|---|---|---|---|---|---|")
    for name, path, uni, dialect, enc, rows in files:
        mb = os.path.getsize(path) / 1e6
        conv = timed([CONVERT, "--format", dialect, "--encoding", enc, "-o",
                      os.path.join(OUT, "o.csv"), path], ok=CONVERTED)
        floor = timed(["wc", "-l", path])
        peer = timed(["gpsbabel", "-i", "unicsv", "-f", uni, "-o", "csv", "-F",
                      os.path.join(OUT, "g.csv")], runs=RUNS if rows < 1_000_000 else 3)
        print(f"| {name} | {mb:.1f} | {conv[0]:.3f} / {conv[1]:.3f} | {floor[0]:.3f} / {floor[1]:.3f} "
              f"| {peer[0]:.2f} / {peer[1]:.2f} | {conv[1] / floor[1]:.1f} | {peer[1] / conv[1]:.1f} |")

    print()
    big = [f for f in files if f[5] == 1_000_000 and f[3] == "navitel"][0]
    size_kb = os.path.getsize(big[1]) / 1024
    host_kb = peak_kb([CONVERT, "-o", os.path.join(OUT, "o.csv"), big[1]])
    print(f"Peak memory, {big[0]} ({size_kb / 1024:.0f} MiB): host {host_kb / 1024:.0f} MiB "
          f"({host_kb / size_kb:.1f}x the input)")
    if os.path.exists(CONVERT_WIN) and shutil.which("wine"):
        env = dict(os.environ)
        win_path = "Z:" + big[1]
        cfg = "Z:" + os.path.join(ROOT, "resources", "Config.txt")
        base_kb = peak_kb(["wine", CONVERT_WIN, "--help"], env=env)
        win_kb = peak_kb(["wine", CONVERT_WIN, "--config", cfg, "-o", "Z:" + OUT + "/w.csv", win_path], env=env)
        print(f"Peak memory, same file, Windows build under Wine: {win_kb / 1024:.0f} MiB "
              f"({win_kb / size_kb:.1f}x the input; Wine itself takes {base_kb / 1024:.0f} MiB "
              f"with no work, {(win_kb - base_kb) / size_kb:.1f}x without it)")
        mid = [f for f in files if f[5] == 250_000 and f[3] == "navitel"][0]
        args = ["--config", cfg, "--encoding", mid[4], "-o", "Z:" + OUT + "/w.csv", "Z:" + mid[1]]
        win = timed(["wine", CONVERT_WIN] + args, env=env, ok=CONVERTED)
        host = timed([CONVERT, "--encoding", mid[4], "-o", os.path.join(OUT, "o.csv"), mid[1]],
                     ok=CONVERTED)
        print(f"Windows build under Wine, {mid[0]}: {win[0]:.3f} / {win[1]:.3f} s; host "
              f"{host[0]:.3f} / {host[1]:.3f} s; Wine/host {win[1] / host[1]:.1f}")


if __name__ == "__main__":
    main()
