#!/usr/bin/env bash
# Several files, repeats left out and the home point, with real X input (xdotool): open the
# Russian file as iGO, add the UK file, switch "Убирать повторы" on, set the home point on the
# map with Ctrl and a click near Moscow, and export. The CSV must equal
# orvane-convert --no-duplicates --near LON,LAT with both files and the place Orvane.ini holds.
#   tools/places_session.sh [build folder] [folder for screenshots]
# Needs a display, Wine and ../shared/realdata; without the data it says so and exits 77,
# which ctest reports as skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/win}")
shots=${2:-}
source "$root/tools/wine-env.sh"
source "$root/tools/xdo.sh"
trap 'echo "places session: failed at line $LINENO" >&2' ERR
real_files_session places-session "$build"

open_speedcam "$main" "$(basename "$primo")" igo
wait_rows 1000 25325
# Файл > Открыть SpeedCam > Добавить файл..., below the two formats.
keys "$main" F10 Down Right Down Down Return
open=$(wait_window 'Открыть')
sleep 0.3
xdotool type --delay 20 "$(basename "$uk")"
keys "$open" Return
wait_rows 1000 29216
echo "two files: $(probe text Orvane 1034 | head -c 60)..."

# Инструменты > Убирать повторы: 3,498 of the 29,216 objects repeat one kept before.
keys "$main" F10 Right Down Down Down Return
wait_rows 1000 25718
echo "repeats left out: $(probe rows Orvane 1000) objects shown"
[ -n "$shots" ] && shoot "$main" "$shots/several-files.png"

# Инструменты > Карта объектов; Ctrl and a click set the home point near Moscow, on the map as
# fitted to Russia and Britain together.
keys "$main" F10 Right Down Down Return
map=$(wait_window 'Карта объектов')
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$map")"
xdotool mousemove --sync $((X + WIDTH * 30 / 100)) $((Y + HEIGHT * 45 / 100))
xdotool keydown ctrl click 1 keyup ctrl
sleep 0.5
# Off the map, so that the line shows the home point rather than the place under the pointer.
xdotool mousemove --sync $((X + WIDTH * 5 / 100)) $((Y + HEIGHT - 10))
sleep 0.3
status=$(probe text 'Карта объектов' 1020)
echo "map: $status"
[[ $status == *"Дом: "* ]]
[ -n "$shots" ] && shoot "$map" "$shots/home-point.png"
# Cancel leaves the filter as it was; the home point stays.
keys "$map" Escape
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Карта объектов$' >/dev/null 2>&1 || break
    sleep 0.1
done
wait_rows 1000 25718

save_as "$main" "$(winpath "$run/out/speedcam.csv")"
box=$(wait_window 'OK')
[ "$(probe text OK 65535)" = "Экспорт успешно завершен." ]
keys "$box" Return
keys "$main" Escape
wait "$pid"

# Orvane.ini keeps the home point as a hex block: set, 4 bytes of its own, then longitude and
# latitude as doubles, then a checksum byte; Repeats says the option was on.
read -r repeats home < <(python3 - "$run/Orvane.ini" <<'PY'
import struct, sys
raw = open(sys.argv[1], "rb").read()
text = raw.decode("utf-16" if raw[:2] == b"\xff\xfe" else "cp1251")
block = lambda key: bytes.fromhex(next(l for l in text.splitlines() if l.startswith(key + "="))[len(key) + 1:])
repeats = struct.unpack("<i", block("Repeats")[:4])[0]
is_set, _, lon, lat = struct.unpack("<ii2d", block("Home")[:24])
print(repeats, f"{lon!r},{lat!r}" if is_set else "none")
PY
)
echo "Orvane.ini: Repeats $repeats, Home $home"
[ "$repeats" = 1 ] && [ "$home" != none ]
wine "$build/cli/orvane-convert.exe" --format igo --config "$(winpath "$run/Config.txt")" \
    --no-duplicates --near "$home" -o "$(winpath "$run/out/convert.csv")" \
    "${cameras}$(basename "$primo")" "${cameras}$(basename "$uk")" | tr -d '\r'
cmp "$run/out/speedcam.csv" "$run/out/convert.csv"
echo "places session: passed ($(stat -c %s "$run/out/speedcam.csv") bytes, same as orvane-convert --no-duplicates --near $home)"
