#!/usr/bin/env bash
# The map with real X input (xdotool): open the UK file, look at its map and cancel (nothing
# changes); open the Russian file, draw a rectangle with the left button, apply, and export.
# The CSV must equal the converter's with --area set to the four values Orvane.ini then holds.
#   tools/map_session.sh [build folder] [folder for screenshots]
# Needs a display, Wine and ../shared/realdata; without the data it says so and exits 77,
# which ctest reports as skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/win}")
shots=${2:-}
source "$root/tools/wine-env.sh"
source "$root/tools/xdo.sh"
trap 'echo "map session: failed at line $LINENO" >&2' ERR
real_files_session map-session "$build"

# Инструменты > Карта объектов
open_map() {
    keys "$main" F10 Right Down Down Return
    map=$(wait_window 'Карта объектов')
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$map")"
}

open_speedcam "$main" "$(basename "$uk")" igo
wait_rows 1000 3891
open_map
[ -n "$shots" ] && shoot "$map" "$shots/map-uk.png"
keys "$map" Escape
sleep 0.3
wait_rows 1000 3891
echo "UK file: map cancelled, objects still $(probe rows Orvane 1000)"

open_speedcam "$main" "$(basename "$primo")" igo
wait_rows 1000 25325
open_map
# Around Moscow and the regions south of it, on the map as fitted to all of Russia.
x0=$((X + WIDTH * 14 / 100)) y0=$((Y + HEIGHT * 40 / 100))
x1=$((X + WIDTH * 30 / 100)) y1=$((Y + HEIGHT * 70 / 100))
xdotool mousemove --sync "$x0" "$y0" mousedown 1
for step in 1 2 3 4; do
    xdotool mousemove --sync $((x0 + (x1 - x0) * step / 4)) $((y0 + (y1 - y0) * step / 4))
    sleep 0.1
done
status=$(probe text 'Карта объектов' 1020)
[ -n "$shots" ] && shoot "$map" "$shots/map-primo.png"
xdotool mouseup 1
sleep 0.3
echo "while drawing: $status"
[[ $status == *"В прямоугольнике: "* ]]
keys "$map" Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Карта объектов$' >/dev/null 2>&1 || break
    sleep 0.1
done
sleep 0.5
kept=$(probe rows Orvane 1000)
echo "after apply: $kept objects"
[ "$kept" -gt 0 ] && [ "$kept" -lt 25325 ]
[ -n "$shots" ] && shoot "$main" "$shots/budget.png"

save_as "$main" "$(winpath "$run/out/speedcam.csv")"
box=$(wait_window 'OK')
[ "$(probe text OK 65535)" = "Экспорт успешно завершен." ]
keys "$box" Return
keys "$main" Escape
wait "$pid"

# Orvane.ini keeps the filter as a hex block: 8 bytes of its own, then west, north, east,
# south as doubles, then a checksum byte.
area=$(python3 - "$run/Orvane.ini" <<'PY'
import struct, sys
text = open(sys.argv[1], "rb").read().decode("utf-16" if open(sys.argv[1], "rb").read(2) == b"\xff\xfe" else "cp1251")
line = next(l for l in text.splitlines() if l.startswith("Filter="))
block = bytes.fromhex(line[len("Filter="):])[:40]
print(",".join(repr(v) for v in struct.unpack("<4d", block[8:40])))
PY
)
echo "area in Orvane.ini: $area"
wine "$build/cli/orvane-convert.exe" --format igo --config "$(winpath "$run/Config.txt")" \
    --area "$area" -o "$(winpath "$run/out/convert.csv")" "${cameras}$(basename "$primo")" | tr -d '\r'
cmp "$run/out/speedcam.csv" "$run/out/convert.csv"
echo "map session: passed ($(stat -c %s "$run/out/speedcam.csv") bytes, same as orvane-convert --area)"
