#!/usr/bin/env bash
# Opens a generated 250,000-object Navitel file in the real main window under Wine and prints
# the time until both lists are filled, the core's time for the same file, and the ratio.
#   bench/window_fill.sh [OBJECTS]     (default 250000)
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
# The helper links the window code and the resources exactly as Orvane.exe does.
mingw_exe "$work/window_fill.exe" -DWIN32_LEAN_AND_MEAN -DNOMINMAX -Iapp -Iui -Icore -Iresources \
    bench/window_fill.cpp "$build/app/CMakeFiles/orvane_resources.dir/__/resources/orvane.rc.res" \
    "$build/app/liborvane_ui.a" "$build/liborvane_core.a" -lcomctl32 -lcomdlg32 -lgdi32

wine_prefix_ready
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
xvfb bash -c "
    source tools/wine-env.sh
    wine_server_start
    wine '$work/window_fill.exe' 'Z:$work/speedcam.txt' 2 | cat
    wine_server_stop"
