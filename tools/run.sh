#!/usr/bin/env bash
# The main job: builds Orvane, then starts Orvane.exe under Wine when there is a display.
# Without one (or before the window program exists) it converts the bundled example with
# the command-line converter and prints what a user would see.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/tools/deps.sh" tools/run.sh
"$root/tools/build.sh" host
[ -d app ] && "$root/tools/build.sh" win

if [ -n "${DISPLAY:-}" ] && [ -f build/win/app/Orvane.exe ] && xdpyinfo >/dev/null 2>&1; then
    source "$root/tools/wine-env.sh"
    wine_prefix_ready
    echo "== starting Orvane.exe"
    exec wine build/win/app/Orvane.exe
fi

echo "== converting examples/speedcam.txt (no display: the command-line converter)"
build/host/cli/orvane-convert -o build/speedcam.csv examples/speedcam.txt
echo "== build/speedcam.csv:"
cat build/speedcam.csv
if [ -x tools/screenshots.sh ] && [ -f build/win/app/Orvane.exe ]; then
    tools/screenshots.sh
fi
