#!/usr/bin/env bash
# Paints the map window over a generated 250,000-object Navitel file under Wine: the time of
# one paint and the worst step of zooming, panning and drawing, and the budget's recount.
#   bench/map_paint.sh [OBJECTS]     (default 250000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rows=${1:-250000}
build=$root/build/win
tools/build.sh win >/dev/null
work=$root/build/bench-map
mkdir -p "$work"
python3 bench/generate.py navitel "$rows" utf8 crlf "$work/speedcam.txt"
cp resources/Config.txt "$work/Config.txt"

source tools/wine-env.sh
source tools/xdo.sh
mingw_exe "$work/map_paint.exe" -DWIN32_LEAN_AND_MEAN -DNOMINMAX -Iapp -Iui -Icore -Iresources \
    bench/map_paint.cpp "$build/app/CMakeFiles/orvane_resources.dir/__/resources/orvane.rc.res" \
    "$build/app/liborvane_ui.a" "$build/liborvane_core.a" -lcomctl32 -lcomdlg32 -lgdi32

wine_prefix_ready
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
xvfb bash -c "
    source tools/wine-env.sh
    wine_server_start
    wine '$work/map_paint.exe' 'Z:$work/speedcam.txt' | cat
    wine_server_stop"
