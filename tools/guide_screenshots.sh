#!/usr/bin/env bash
# The pictures of the Russian user guide, docs/ru/img/*.png, taken from the release build
# under Wine in a virtual X display, with the bundled example and the default camera table:
# the terms, the loaded example, the same file read in the wrong encoding, the export menu,
# the message editor, the area filter for Moscow and its result; then the map, the budget,
# several files and the home point from the sessions that drive them with the real files of
# ../shared/realdata (map_session.sh, places_session.sh), and the drive dialog. Every
# picture is taken afresh, in a Wine prefix of its own that has the title bars' buttons.
#   tools/guide_screenshots.sh [output folder]     (default: docs/ru/img)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/ru/img}")
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix-guide}

source "$root/tools/wine-env.sh"
source "$root/tools/xdo.sh"
if [ -z "${ORVANE_IN_XVFB:-}" ]; then
    "$root/tools/release.sh" >/dev/null  # the present program, built if it changed
    wine_prefix_ready
    xvfb "$0" "$out"
    # The drive dialog, with sticks of each kind, comes from its own script.
    "$root/tools/screenshot_drive.sh" "$out"
    echo "guide pictures in $out"
    exit 0
fi

wine_server_start
trap wine_server_stop EXIT
trap 'echo "guide screenshots: failed at line $LINENO" >&2' ERR

mkdir -p "$out"
run=$WINEPREFIX/drive_c/Orvane
rm -rf "$run" && mkdir -p "$run"
cp "$root/build/release/app/Orvane.exe" "$root/resources/Config.txt" "$run/"
# The status bar then shows D:\Камеры\speedcam.txt, a folder a driver could have.
camera_drive "$run" "$root/examples/speedcam.txt" >/dev/null
build_probe "$WINEPREFIX/drive_c/ui_probe.exe"

# Clicks the middle of control ID of the window with this title.
click() {
    local l t r b
    read -r l t r b < <(probe rect "$1" "$2")
    xdotool mousemove --sync $(((l + r) / 2)) $(((t + b) / 2)) click 1
}
# Replaces the text of edit control ID.
type_into() {
    click "$1" "$2"
    xdotool key End shift+Home BackSpace
    xdotool type --delay 20 "$3"
}

start_orvane "$run"
pid=$ORVANE_PID
terms=$(wait_window 'Условия использования')
shoot "$terms" "$out/terms.png"
keys "$terms" Return
main=$(wait_window 'Orvane')

# Файл > Открыть SpeedCam > Формат Navitel, then the example.
open_navitel "$main" speedcam.txt
wait_rows 1000 14
shoot "$main" "$out/main-loaded.png"

# The UTF-8 example read as ANSI: the comments turn to nonsense, the case the guide's
# encoding advice is for. Then back to UTF-8.
click Orvane 1009
sleep 1
shoot "$main" "$out/wrong-encoding.png"
click Orvane 1008
sleep 1

# The export menu, unfolded: Файл > Экспорт для Nissan Connect.
keys "$main" F10 Down Down Right
shoot "$main" "$out/menu-export.png"
xdotool key Escape Escape Escape

# The message editor of the first type, opened by a double click on its name.
read -r x y < <(probe box Orvane)
xdotool mousemove --sync $((x + 40)) "$y" click --repeat 2 --delay 60 1
editor=$(wait_window 'Редактор элемента')
shoot "$editor" "$out/element-editor.png"
keys "$editor" Escape

# The area filter with the rectangle around Moscow.
keys "$main" F10 Right Down Return
filter=$(wait_window 'Настройка фильтра')
type_into 'Настройка фильтра' 1013 37.3
type_into 'Настройка фильтра' 1014 55.9
type_into 'Настройка фильтра' 1017 37.9
type_into 'Настройка фильтра' 1018 55.5
shoot "$filter" "$out/filter.png"
keys "$filter" Return
# Nine of the fourteen objects lie inside; the status bar says the filter is on.
wait_rows 1000 9
shoot "$main" "$out/main-filtered.png"

keys "$main" Escape
wait "$pid"

# The sessions open the real files from D:\Камеры\ too; they need the data.
for session in map_session places_session; do
    "$root/tools/$session.sh" "$root/build/release" "$out" || {
        echo "guide screenshots: $session.sh gave no pictures (exit $?)" >&2
        exit 1
    }
done
