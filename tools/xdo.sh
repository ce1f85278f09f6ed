# Sourced by the scripts that use Orvane's windows with real X input (xdotool) under Wine.

# Waits for a visible top-level window with exactly this title and prints its X id.
wait_window() {
    local id
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    echo "window '$1' did not appear" >&2
    return 1
}

# Sends keys to a window; focusing can fail harmlessly while Wine is still mapping it.
keys() { xdotool windowfocus --sync "$1" >/dev/null 2>&1 || true; shift; xdotool key --delay 80 "$@"; }

# Builds tools/ui_probe.cpp into the given .exe path; probe() then runs it under Wine.
build_probe() {
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -municode -static \
        -DUNICODE -D_UNICODE "$ORVANE_ROOT/tools/ui_probe.cpp" -o "$1"
    ORVANE_PROBE=$1
}
probe() { wine "$ORVANE_PROBE" "$@" 2>/dev/null | tr -d '\r'; }

# Waits until list ID of the main window has this many rows.
wait_rows() {
    for _ in $(seq 50); do
        [ "$(probe rows Orvane "$1")" = "$2" ] && return 0
        sleep 0.1
    done
    echo "list $1 has $(probe rows Orvane "$1") rows, expected $2" >&2
    return 1
}

# Файл > Экспорт для Nissan Connect > Сохранить как..., then saves under the given Windows path.
save_as() {
    local main=$1 path=$2 save
    keys "$main" F10 Down Down Right Return
    save=$(wait_window 'Сохранить как')
    sleep 0.3
    keys "$save" ctrl+a
    xdotool type --delay 20 "$path"
    keys "$save" Return
}
