#!/usr/bin/env bash
# A first session as a new user would have it, with real X input only (xdotool): start
# Orvane.exe, accept the terms, open a Navitel file through the menu and the open dialog,
# untick the first camera type, save speedcam.csv into a folder that has none, read the
# message box, and compare the file with the expected bytes.
#   tools/user_session.sh [build folder]    (default build/win; needs a display and Wine)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/win}")
source "$root/tools/wine-env.sh"
trap 'echo "user session: failed at line $LINENO" >&2' ERR

run=$build/user-session
rm -rf "$run" && mkdir -p "$run/in" "$run/out"
cp "$build/app/Orvane.exe" "$run/"
cp "$root/tests/data/golden_config.txt" "$run/Config.txt"
cp "$root/tests/data/navitel_lf.txt" "$run/in/speedcam.txt"
# The probe only reads window positions and texts; it sends nothing.
source "$root/tools/xdo.sh"
build_probe "$run/ui_probe.exe"
winpath() { echo "Z:$1" | tr / '\\'; }

wine "$run/Orvane.exe" >/dev/null 2>&1 &
pid=$!
terms=$(wait_window 'Условия использования')
keys "$terms" Return
main=$(wait_window 'Orvane')

# Файл > Открыть SpeedCam > Формат Navitel, from the keyboard.
open_navitel "$main" "$(winpath "$run/in/speedcam.txt")"
wait_rows 1000 5
echo "objects: $(probe rows Orvane 1000), types ticked: $(probe checked Orvane 1001)"
[ "$(probe checked Orvane 1001)" = 1011 ]

# Untick the first type (id 1) with the mouse.
read -r x y < <(probe box Orvane)
xdotool mousemove --sync "$x" "$y" click 1
sleep 0.3
echo "types ticked after the click: $(probe checked Orvane 1001)"
[ "$(probe checked Orvane 1001)" = 0011 ]

save_as "$main" "$(winpath "$run/out/speedcam.csv")"
box=$(wait_window 'OK')
message=$(probe text OK 65535)
echo "message box: $message"
[ "$message" = "Экспорт успешно завершен." ]
keys "$box" Return
keys "$main" Escape
wait "$pid"

# Type 1 is off; its second table entry, still on, keeps the bare speed lines.
grep -v 'Камера' "$root/tests/expected/navitel.csv" > "$run/expected.csv"
cmp "$run/expected.csv" "$run/out/speedcam.csv"
echo "user session: passed"
