#!/usr/bin/env bash
# The camera-type table's save and load at 4,096, 16,384 and 65,536 entries, host build and
# Windows build under Wine (bench/type_table.cpp). Linear cost shows as a flat time per entry.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/build.sh host win >/dev/null
work=$root/build/bench-type-table
mkdir -p "$work/host" "$work/win"
g++ -std=c++20 -O2 -Wall -Wextra -Werror -Icore bench/type_table.cpp build/host/liborvane_core.a \
    -o "$work/type_table"
source tools/wine-env.sh
source tools/xdo.sh
mingw_exe "$work/type_table.exe" -Icore bench/type_table.cpp build/win/liborvane_core.a
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(date -u +%F)"
echo "Host:"
"$work/type_table" "$work/host"
wine_prefix_ready
wine_server_start
trap wine_server_stop EXIT
echo "Windows build under Wine:"
wine "$work/type_table.exe" "Z:$work/win" | tr -d '\r'
