# Sourced by the scripts that use Orvane's windows under Wine in a virtual X display, with real
# X input (xdotool), and by those that build small Windows helper programs.

# Runs a command in a virtual X display of its own, with colours that screenshots can use;
# ORVANE_SCREEN=WIDTHxHEIGHT gives another size than 1280x1024.
xvfb() { ORVANE_IN_XVFB=1 xvfb-run -a -s "-screen 0 ${ORVANE_SCREEN:-1280x1024}x24" "$@"; }

# Runs the calling script again inside a virtual X display and ends with it, unless it
# already is in one. Call it as: in_xvfb "$@"
in_xvfb() {
    [ -n "${ORVANE_IN_XVFB:-}" ] && return 0
    xvfb "$0" "$@"
    exit $?
}

# Builds a static Windows program from C++ sources and libraries:
#   mingw_exe OUT.exe SOURCE... [-lLIB...]
mingw_exe() {
    local out=$1; shift
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -municode -static \
        -DUNICODE -D_UNICODE "$@" -o "$out"
}

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

# Saves the window's area of the screen, with any menu unfolded inside it, as a PNG.
shoot() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    sleep 0.6  # let the window finish painting
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
    echo "$2 (${WIDTH}x${HEIGHT})"
}

# Presents the given files to Wine as D:\Камеры\<name>, so that the program, and every picture
# of it, shows a folder a driver could have rather than where the files lie on this machine:
#   camera_drive RUN_FOLDER FILE...      (prints the Windows folder, D:\Камеры\)
camera_drive() {
    local drive=$1/drive-d f
    shift
    rm -rf "$drive" && mkdir -p "$drive/Камеры"
    for f in "$@"; do ln -s "$(realpath "$f")" "$drive/Камеры/$(basename "$f")"; done
    ln -sfn "$drive" "$WINEPREFIX/dosdevices/d:"
    echo 'D:\Камеры\'
}

# Starts RUN_FOLDER/Orvane.exe in the background, its process id in ORVANE_PID. With a
# camera_drive in RUN_FOLDER it starts in D:\Камеры\, where the open dialog then opens, so
# that a session types only file names: xdotool does not always type Cyrillic right.
start_orvane() {
    local folder=$1/drive-d/Камеры
    [ -d "$folder" ] || folder=$1
    # The open dialog would otherwise start in the folder it last saw in this prefix.
    wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32' /f \
        >/dev/null 2>&1 || true
    (cd "$folder" && exec wine "$1/Orvane.exe" >/dev/null 2>&1) &
    ORVANE_PID=$!
}

# Builds tools/ui_probe.cpp into the given .exe path; probe() then runs it under Wine.
build_probe() {
    mingw_exe "$1" "$ORVANE_ROOT/tools/ui_probe.cpp"
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

# Файл > Открыть SpeedCam > Формат Navitel (or Формат iGO with open_speedcam ... igo), then
# opens the given Windows path.
open_navitel() { open_speedcam "$1" "$2" navitel; }
open_speedcam() {
    local main=$1 path=$2 open
    if [ "$3" = igo ]; then keys "$main" F10 Down Right Down Return
    else keys "$main" F10 Down Right Return; fi
    open=$(wait_window 'Открыть')
    sleep 0.3
    xdotool type --delay 20 "$path"
    keys "$open" Return
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

# A Windows path for a file of this machine, through Wine's Z: drive.
winpath() { echo "Z:$(realpath "$1")" | tr / '\\'; }

# The start of a session over two real files of ../shared/realdata, the Russian iGO list
# ($primo) and the British one ($uk), both in D:\Камеры\ ($cameras): a fresh folder
# BUILD/NAME ($run) with the program, the default table and an out/ folder, the probe, and
# Orvane started past its terms ($main, $pid). Without the data it says so and exits with 77,
# which ctest shows as skipped.
real_files_session() {
    local name=$1 build=$2 data=$ORVANE_ROOT/../shared/realdata
    primo=$data/SpeedCamOnline.ru_2019-11-05_PRIMO_Rus.txt
    uk=$data/uk-speed-cameras-poi_osc.txt
    [ -f "$primo" ] && [ -f "$uk" ] || {
        echo "${name/-/ }: skipped, ../shared/realdata is missing" >&2
        exit 77
    }
    run=$build/$name
    rm -rf "$run" && mkdir -p "$run/out"
    cp "$build/app/Orvane.exe" "$ORVANE_ROOT/resources/Config.txt" "$run/"
    build_probe "$run/ui_probe.exe"
    cameras=$(camera_drive "$run" "$primo" "$uk")
    start_orvane "$run"
    pid=$ORVANE_PID
    keys "$(wait_window 'Условия использования')" Return
    main=$(wait_window 'Orvane')
}
