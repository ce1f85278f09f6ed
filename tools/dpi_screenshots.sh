#!/usr/bin/env bash
# Photographs Orvane.exe at 96, 144 and 192 DPI (Wine's LogPixels): the main window with the
# Russian public file open from D:\Камеры\, its map, and the drive dialog over the volumes of
# tools/drive_volumes.sh. 96 and 144 DPI on a 1280x1024 screen, 192 DPI on a 2560x1600 one,
# the size such screens have. Needs root, as drive_volumes.sh does, and ../shared/realdata.
#   tools/dpi_screenshots.sh [output folder] [build folder]
#   (default: build/screenshots-dpi and build/win)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshots-dpi}")
build=$(realpath -m "${2:-$root/build/win}")
primo=$root/../shared/realdata/SpeedCamOnline.ru_2019-11-05_PRIMO_Rus.txt

if [ -z "${ORVANE_DPI_SHOT:-}" ]; then
    [ -f "$primo" ] || { echo "dpi screenshots: $primo is missing" >&2; exit 1; }
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$build" --target Orvane
    for run in "1280x1024 96 144" "2560x1600 192"; do
        read -r screen dpis <<<"$run"
        env ORVANE_SCREEN="$screen" ORVANE_DPI_SHOT="$dpis" \
            "$root/tools/drive_volumes.sh" "$build" bash "$0" "$out" "$build"
    done
    echo "screenshots in $out"
    exit 0
fi

# From here on inside drive_volumes.sh: its Wine prefix, its server and a display.
source "$root/tools/wine-env.sh"
source "$root/tools/xdo.sh"
trap 'echo "dpi screenshots: failed at line $LINENO" >&2' ERR
mkdir -p "$out"
run=$build/dpi-shot
desktop='HKCU\Control Panel\Desktop'
# The prefix's own DPI comes back however the run ends.
old=$(wine reg query "$desktop" /v LogPixels 2>/dev/null | tr -d '\r' |
    awk '$1 == "LogPixels" {print $3}' || true)
restore() {
    if [ -n "$old" ]; then wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$old" /f
    else wine reg delete "$desktop" /v LogPixels /f; fi >/dev/null 2>&1
}
trap restore EXIT

for dpi in $ORVANE_DPI_SHOT; do
    # Every program reads LogPixels when it starts.
    wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    rm -rf "$run" && mkdir -p "$run"
    cp "$build/app/Orvane.exe" "$root/resources/Config.txt" "$run/"
    build_probe "$run/ui_probe.exe"
    camera_drive "$run" "$primo" >/dev/null
    # Started in D:\Камеры\, the open dialog shows that folder and takes the bare file name:
    # xdotool's Cyrillic keys are not always typed right.
    (cd "$run/drive-d/Камеры" && wine "$run/Orvane.exe" >/dev/null 2>&1) &
    pid=$!
    keys "$(wait_window 'Условия использования')" Return
    main=$(wait_window 'Orvane')
    # Файл > Открыть SpeedCam > Формат IGO
    keys "$main" F10 Down Right Down Return
    open=$(wait_window 'Открыть')
    sleep 0.5
    xdotool type --delay 20 "$(basename "$primo")"
    keys "$open" Return
    wait_rows 1000 25325
    shoot "$main" "$out/main-$dpi.png"
    # Инструменты > Карта объектов
    keys "$main" F10 Right Down Down Return
    map=$(wait_window 'Карта объектов')
    sleep 0.5
    shoot "$map" "$out/map-$dpi.png"
    keys "$map" Escape
    sleep 0.3
    # Файл > Экспорт для Nissan Connect > Подготовить съемный диск..., the second row chosen.
    keys "$main" F10 Down Down Right Down Return
    dialog=$(wait_window 'Подготовка съемного диска')
    keys "$dialog" Down Down  # the list has the focus
    shoot "$dialog" "$out/drive-$dpi.png"
    keys "$dialog" Escape
    keys "$main" Escape
    wait "$pid"
done
