#!/usr/bin/env bash
# orvane-convert with repeats left out and the nearest first, side by side with the plain
# conversion of the same million objects: one Navitel file, two overlapping halves of one (30 %
# of the second repeat the first), one iGO file.
#   bench/places.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/build.sh host >/dev/null
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(date -u +%F)"
python3 bench/places.py build/host/cli/orvane-convert "$root/build/bench"
