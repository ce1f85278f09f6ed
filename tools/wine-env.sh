# Sourced by the scripts that run Windows programs: a private Wine prefix in the build tree,
# set up once with the settings that keep tests fast and crash-safe.
ORVANE_ROOT=${ORVANE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$ORVANE_ROOT/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Russian locale: the ANSI code page is then 1251, as on the drivers' machines; a UTF-8 locale
# also lets Wine open files with Cyrillic names.
export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8

wine_prefix_ready() {
    [ -f "$WINEPREFIX/.orvane-ready" ] || wine_prefix_create || return 1
    # Title-bar buttons are letters of the Marlett font ("0 1 r" without it). Debian's
    # fonts-wine has the font, but Wine looks for it only in the prefix's own font folder.
    local marlett=/usr/share/wine/fonts/marlett.ttf fonts=$WINEPREFIX/drive_c/windows/Fonts
    if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
        cp "$marlett" "$fonts/"
    fi
    return 0
}

wine_prefix_create() {
    echo "== setting up the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1 || return 1
    # A crash must end the process instead of waiting on a dialog; without a window manager
    # every window creation would otherwise wait about two seconds.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.orvane-ready"
}

# A persistent wineserver whose helper processes do not hold the test runner's pipes open.
wine_server_start() {
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_server_stop() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    return 0
}
