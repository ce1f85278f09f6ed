#!/usr/bin/env bash
# The converter of this tree against the one of another commit (default: main), side by side
# on the same files: the ordinary seven-column Navitel and iGO files, and nine-column
# OpenSpeedcam files, which the other commit may not read at all. Shows what deciding the
# shape of a file's rows costs the files that were read before.
#   bench/shapes.sh [COMMIT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
base=${1:-main}
tools/build.sh host >/dev/null
work=$root/build/bench-shapes
rm -rf "$work/src"
mkdir -p "$work/src"
git archive "$base" | tar -x -C "$work/src"
cmake -S "$work/src" -B "$work/base" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF >/dev/null
cmake --build "$work/base" -j"$(nproc)" >/dev/null
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(date -u +%F)"
echo "Base: $base ($(git rev-parse --short "$base")); this tree: $(git rev-parse --short HEAD)$(git diff --quiet || echo ' with changes')"
python3 bench/shapes.py "$work/base/cli/orvane-convert" build/host/cli/orvane-convert "$work"
