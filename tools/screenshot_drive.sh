#!/usr/bin/env bash
# Photographs the drive preparation dialog with green (suitable) and red (unsuitable) rows.
# Wine shows every drive as NTFS, so the window tests present four sticks of their own and
# keep the real dialog open while it is shot.
#   tools/screenshot_drive.sh [output folder]     (default: build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshots}")
tests=$root/build/win/tests/win/orvane_win_tests.exe

if [ -z "${ORVANE_IN_XVFB:-}" ]; then
    cmake -S "$root" -B "$root/build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$root/build/win" --target orvane_win_tests
    source "$root/tools/wine-env.sh"
    wine_prefix_ready
    exec env ORVANE_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$out"
fi

source "$root/tools/wine-env.sh"
wine_server_start
trap wine_server_stop EXIT
trap 'echo "screenshot_drive: failed at line $LINENO" >&2' ERR
mkdir -p "$out"

wine "$tests" --gtest_also_run_disabled_tests \
    --gtest_filter=DriveDialogTest.DISABLED_HoldOpenForScreenshot >/dev/null 2>&1 &
pid=$!
title='Подготовка съемного диска'
wid=
for _ in $(seq 100); do
    wid=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || { echo "window '$title' did not appear" >&2; kill "$pid"; exit 1; }

eval "$(xdotool getwindowgeometry --shell "$wid")"
sleep 0.5  # the row selection and the first paint
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/drive-dialog.png"
echo "$out/drive-dialog.png (${WIDTH}x${HEIGHT})"
xdotool windowfocus --sync "$wid" key Escape
wait "$pid"
