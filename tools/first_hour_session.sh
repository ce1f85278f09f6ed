#!/usr/bin/env bash
# What a new driver runs into in the first hour, with real X input only (xdotool), every menu
# reached by its access keys: "Сохранить как..." before any file is open (told; no dialog, no
# file), a message typed into the element editor at once after Enter on a type row (one that
# is too long is held at 126 characters), the area filter typed with decimal commas and once
# with a field that is no number (told, and typed again), and the export, which must equal
# orvane-convert's with the same area and the table the program saved.
#   tools/first_hour_session.sh [build folder] [folder for screenshots]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/win}")
shots=${2:-}
source "$root/tools/wine-env.sh"
trap 'echo "first hour: failed at line $LINENO" >&2' ERR

run=$build/first-hour-session
rm -rf "$run" && mkdir -p "$run/out"
cp "$build/app/Orvane.exe" "$run/"
cp "$root/tests/data/golden_config.txt" "$run/Config.txt"
source "$root/tools/xdo.sh"
build_probe "$run/ui_probe.exe"
winpath() { echo "Z:$1" | tr / '\\'; }
camera_drive "$run" "$root/tests/data/navitel_lf.txt" >/dev/null
# Told and closed: the message box of this title must say exactly this.
told() {
    local box text
    box=$(wait_window "$1")
    text=$(probe text "$1" 65535)
    echo "told: $text"
    [ "$text" = "$2" ] || { echo "expected: $2" >&2; return 1; }
    keys "$box" Return
}
gone() {  # a window of this title does not come up
    sleep 1
    ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}

start_orvane "$run"
pid=$ORVANE_PID
keys "$(wait_window 'Условия использования')" Return
main=$(wait_window 'Orvane')

# Файл > Экспорт для Nissan Connect > Сохранить как..., with nothing to export.
keys "$main" alt+Cyrillic_ef Cyrillic_e Cyrillic_es
told Error $'Экспортировать нечего: файл speedcam не открыт.\nОткройте его в меню "Файл" > "Открыть SpeedCam".'
gone 'Сохранить как'
[ -z "$(ls "$run/out")" ]

# Файл > Открыть SpeedCam > Формат Navitel.
keys "$main" alt+Cyrillic_ef Cyrillic_o n
open=$(wait_window 'Открыть')
sleep 0.3
xdotool type --delay 20 navitel_lf.txt  # the dialog opens in D:\Камеры\
keys "$open" Return
wait_rows 1000 5

# The type list by its hint's key, the first row, Enter: the editor takes the keys at once.
keys "$main" alt+Cyrillic_en Home Return
editor=$(wait_window 'Редактор элемента')
[ -n "$shots" ] && shoot "$editor" "$shots/element-editor.png"
xdotool type --delay 20 'Attention: %SPEED% km/h'
keys "$editor" Return
gone 'Редактор элемента'
# The last row, type 101: 130 letters typed, 126 kept.
keys "$main" alt+Cyrillic_en End Return
editor=$(wait_window 'Редактор элемента')
xdotool type --delay 10 "$(printf 'z%.0s' $(seq 130))"
[ "$(probe text 'Редактор элемента' 1008)" = "$(printf 'z%.0s' $(seq 126))" ]
keys "$editor" Return
gone 'Редактор элемента'

# Инструменты > Настройка фильтра: commas as the map writes them; "55,5x" is no number.
keys "$main" alt+Cyrillic_i Cyrillic_en
filter=$(wait_window 'Настройка фильтра')
[ -n "$shots" ] && shoot "$filter" "$shots/filter.png"
xdotool type --delay 20 '37,3'
keys "$filter" Tab
xdotool type --delay 20 '55,9'
keys "$filter" Tab
xdotool type --delay 20 '37,9'
keys "$filter" Tab
xdotool type --delay 20 '55,5x'
keys "$filter" Return
# A warning without a caption of its own: Windows titles it "Ошибка".
box=$(wait_window 'Ошибка')
text=$(probe text 'Ошибка' 65535)
echo "told: $text"
[[ $text == 'В поле Y юго-восточного угла (юг) указано не число: "55,5x".'* ]]
keys "$box" Return
# The field named is selected again: typed over, the dialog closes.
xdotool type --delay 20 '55,5'
keys "$filter" Return
gone 'Настройка фильтра'
wait_rows 1000 4
echo "objects in the area: $(probe rows Orvane 1000)"

# Файл > Экспорт для Nissan Connect > Сохранить как...
keys "$main" alt+Cyrillic_ef Cyrillic_e Cyrillic_es
save=$(wait_window 'Сохранить как')
sleep 0.3
keys "$save" ctrl+a
xdotool type --delay 20 "$(winpath "$run/out/speedcam.csv")"
keys "$save" Return
told OK 'Экспорт успешно завершен.'
keys "$main" Escape
wait "$pid"

# The table the program saved at exit holds both messages; the export is what the converter
# writes with it and the same area.
wine "$build/cli/orvane-convert.exe" --config "$(winpath "$run/Config.txt")" \
    --area 37.3,55.9,37.9,55.5 -o "$(winpath "$run/out/convert.csv")" \
    "$(winpath "$root/tests/data/navitel_lf.txt")" | tr -d '\r'
cmp "$run/out/speedcam.csv" "$run/out/convert.csv"
grep -q '"Attention: 60 km/h"' "$run/out/speedcam.csv"
grep -q "\"$(printf 'z%.0s' $(seq 126))\"" "$run/out/speedcam.csv"
grep -q "$(printf 'z%.0s' $(seq 127))" "$run/out/speedcam.csv" && exit 1
echo "first hour: passed"
