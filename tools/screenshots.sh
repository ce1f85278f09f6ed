#!/usr/bin/env bash
# Takes PNG screenshots of Orvane under a virtual X display: the terms dialog, the empty main
# window at its template size, the main window opened enlarged from a saved rectangle, the
# main window with a loaded file, and the filter, element editor and about dialogs.
#   tools/screenshots.sh [output folder]     (default: build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshots}")

source "$root/tools/wine-env.sh"
source "$root/tools/xdo.sh"
if [ -z "${ORVANE_IN_XVFB:-}" ]; then
    [ -f "$root/build/win/app/Orvane.exe" ] || "$root/tools/build.sh" win
    wine_prefix_ready
    in_xvfb "$out"
fi

wine_server_start
trap wine_server_stop EXIT
trap 'echo "screenshots: failed at line $LINENO" >&2' ERR

mkdir -p "$out"
run=$out/run
rm -rf "$run" && mkdir -p "$run"
cp "$root/build/win/app/Orvane.exe" "$run/"
[ -f "$root/resources/Config.txt" ] && cp "$root/resources/Config.txt" "$run/"

# One 32-bit little-endian value as the hex text of a profile struct block.
le32() {
    local v=$(( $1 & 0xFFFFFFFF ))
    printf '%02X%02X%02X%02X' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255))
}

# A Window block for the given left, top, right and bottom, with its checksum byte.
window_block() {
    local hex="" sum=0 v
    for v in "$@"; do
        v=$(( v & 0xFFFFFFFF ))
        sum=$(( sum + (v & 255) + (v >> 8 & 255) + (v >> 16 & 255) + (v >> 24 & 255) ))
        hex+=$(le32 "$v")
    done
    printf '%s%02X' "$hex" $(( sum & 255 ))
}

# Starts the program, accepts the terms, shoots the main window and closes it with Escape.
run_program() {
    local main_png=$1 terms_png=${2:-}
    wine "$run/Orvane.exe" >/dev/null 2>&1 &
    local pid=$!
    local terms main
    terms=$(wait_window 'Условия использования')
    [ -n "$terms_png" ] && shoot "$terms" "$terms_png"
    xdotool windowfocus --sync "$terms" key Return
    main=$(wait_window 'Orvane')
    shoot "$main" "$main_png"
    xdotool windowfocus --sync "$main" key Escape
    wait "$pid"
}

rm -f "$run/Orvane.ini"
run_program "$out/main-template.png" "$out/terms.png"

printf '[GlobalParam]\r\nWindow=%s\r\n' "$(window_block 40 30 1240 930)" > "$run/Orvane.ini"
run_program "$out/main-enlarged.png"

# A loaded file and each dialog of the main window, reached through the menu and the mouse.
build_probe "$run/ui_probe.exe"
cp "$root/tests/data/navitel_lf.txt" "$run/speedcam.txt"
# Opens a dialog with the given keys or command, shoots it and closes it with Escape.
shoot_dialog() {
    local title=$1 png=$2 dialog
    dialog=$(wait_window "$title")
    shoot "$dialog" "$png"
    keys "$dialog" Escape
}
rm -f "$run/Orvane.ini"
wine "$run/Orvane.exe" >/dev/null 2>&1 &
pid=$!
keys "$(wait_window 'Условия использования')" Return
main=$(wait_window 'Orvane')
open_navitel "$main" "$(echo "Z:$run/speedcam.txt" | tr / '\\')"
sleep 1
shoot "$main" "$out/main-loaded.png"
keys "$main" F10 Right Down Return
shoot_dialog 'Настройка фильтра' "$out/filter.png"
keys "$main" F10 Right Right Down Return
shoot_dialog 'О программе...' "$out/about.png"
read -r x y < <(wine "$run/ui_probe.exe" box Orvane 2>/dev/null | tr -d '\r')
xdotool mousemove --sync $((x + 40)) "$y" click --repeat 2 --delay 60 1
shoot_dialog 'Редактор элемента' "$out/element-editor.png"
keys "$main" Escape
wait "$pid"
echo "screenshots in $out"
