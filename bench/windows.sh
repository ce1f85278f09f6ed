#!/usr/bin/env bash
# The window program under Wine over a generated Navitel file (default 250,000 objects): the
# time until both lists are filled against the core's read (window_fill), and the map
# window's paint and worst zoom, pan and drawing step with the budget's recount (map_paint).
#   bench/windows.sh [OBJECTS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rows=${1:-250000}
build=$root/build/win
tools/build.sh win >/dev/null
work=$root/build/bench-window
mkdir -p "$work"
python3 bench/generate.py navitel "$rows" utf8 crlf "$work/speedcam.txt"
cp resources/Config.txt "$work/Config.txt"

source tools/wine-env.sh
source tools/xdo.sh
# The helpers link the window code and the resources exactly as Orvane.exe does.
for program in window_fill map_paint; do
    mingw_exe "$work/$program.exe" -DWIN32_LEAN_AND_MEAN -DNOMINMAX -Iapp -Iui -Icore -Iresources \
        "bench/$program.cpp" "$build/app/CMakeFiles/orvane_resources.dir/__/resources/orvane.rc.res" \
        "$build/app/liborvane_ui.a" "$build/liborvane_core.a" -lcomctl32 -lcomdlg32 -lgdi32
done

wine_prefix_ready
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
xvfb bash -c "
    source tools/wine-env.sh
    wine_server_start
    wine '$work/window_fill.exe' 'Z:$work/speedcam.txt' 2 | cat
    wine '$work/map_paint.exe' 'Z:$work/speedcam.txt' | cat
    wine_server_stop"
