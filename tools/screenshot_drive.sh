#!/usr/bin/env bash
# Photographs the drive preparation dialog of Orvane.exe over the FAT volumes that
# tools/drive_volumes.sh presents to Wine as removable drives: green rows for the sticks the
# head unit reads, red for the others, the second row selected. Needs root, as that script
# does.
#   tools/screenshot_drive.sh [output folder] [build folder]
#   (default: build/screenshots and build/win)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshots}")
build=$(realpath -m "${2:-$root/build/win}")

if [ -z "${ORVANE_DRIVE_SHOT:-}" ]; then
    toolchain=()
    [ -f "$build/CMakeCache.txt" ] ||
        toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake")
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" >/dev/null
    cmake --build "$build" --target Orvane
    exec env ORVANE_DRIVE_SHOT=1 \
        "$root/tools/drive_volumes.sh" "$build" bash "$0" "$out" "$build"
fi

# From here on inside drive_volumes.sh: its Wine prefix, its server and a display.
source "$root/tools/wine-env.sh"
source "$root/tools/xdo.sh"
trap 'echo "screenshot_drive: failed at line $LINENO" >&2' ERR
mkdir -p "$out"
run=$build/drive-shot
rm -rf "$run" && mkdir -p "$run"
cp "$build/app/Orvane.exe" "$root/resources/Config.txt" "$run/"

# The example, so that there is something to export: without it the dialog does not open.
camera_drive "$run" "$root/examples/speedcam.txt" >/dev/null
build_probe "$run/ui_probe.exe"

start_orvane "$run"
pid=$ORVANE_PID
keys "$(wait_window 'Условия использования')" Return
main=$(wait_window 'Orvane')
open_navitel "$main" speedcam.txt
wait_rows 1000 14
# Файл > Экспорт для Nissan Connect > Подготовить съемный диск...
keys "$main" F10 Down Down Right Down Return
dialog=$(wait_window 'Подготовка съемного диска')
# The list has the focus: onto its second row.
keys "$dialog" Down Down
shoot "$dialog" "$out/drive-dialog.png"
keys "$dialog" Escape
keys "$main" Escape
wait "$pid"
