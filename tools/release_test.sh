#!/usr/bin/env bash
# The release as a driver gets it: builds dist/Orvane-<version>-win64.zip, checks exactly what
# is inside, unpacks it into a new, empty Wine prefix and uses it there with real X input:
# version information, terms, main window, the bundled example opened and exported. The
# exported file must match what the shipped orvane-convert.exe makes of the same example.
#   tools/release_test.sh        (needs Wine, Xvfb and xdotool: tools/deps.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${ORVANE_IN_XVFB:-}" ]; then
    zip=$("$root/tools/release.sh" | tail -n2 | head -n1)
    echo "== release zip: $zip"
    # The list, its order, the encodings a driver's Notepad needs, and no runtime DLLs.
    python3 - "$zip" "$root/resources/Config.txt" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
want = ["Orvane.exe", "orvane-convert.exe", "Config.txt", "ПРОЧТИ.txt", "Руководство.html",
        "LICENSE.txt"]
assert names == want, f"zip holds {names}, expected {want}"
assert z.read("Config.txt") == open(sys.argv[2], "rb").read(), "Config.txt is not the default table"
assert z.read("Config.txt")[:2] == b"\xff\xfe", "Config.txt is not UTF-16LE with a BOM"
for text in ("ПРОЧТИ.txt", "LICENSE.txt"):
    data = z.read(text)
    assert data.startswith(b"\xef\xbb\xbf"), f"{text} has no BOM"
    lines = data[3:].split(b"\r\n")
    assert lines[-1] == b"" and all(b"\r" not in l and b"\n" not in l for l in lines), \
        f"{text}: not every line ends in CR LF"
    data.decode("utf-8")
# The guide opens offline: every picture is inside the page, and ПРОЧТИ.txt points to it.
guide = z.read("Руководство.html").decode("utf-8")
pictures = guide.count(' src="data:image/png;base64,')
assert pictures >= 10 and pictures == guide.count("<img"), f"guide: {pictures} embedded pictures"
assert "Руководство.html" in z.read("ПРОЧТИ.txt").decode("utf-8-sig"), "ПРОЧТИ.txt does not name the guide"
for info in z.infolist():
    assert info.external_attr >> 16 == 0o100644, f"{info.filename}: mode {oct(info.external_attr >> 16)}"
    assert info.extra == b"", f"{info.filename}: extra fields"
print("zip contents: " + ", ".join(names))
PY
    unpacked=$(mktemp -d /tmp/orvane-release-check.XXXXXX)
    python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
        "$zip" "$unpacked"
    for exe in Orvane.exe orvane-convert.exe; do
        dlls=$(x86_64-w64-mingw32-objdump -p "$unpacked/$exe" | sed -n 's/^\tDLL Name: //p' |
            grep -viE '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|advapi32|ole32|msvcrt|version|uxtheme|shlwapi)\.dll$|^api-ms-win-' || true)
        [ -z "$dlls" ] || { echo "$exe needs DLLs that Windows does not have: $dlls" >&2; exit 1; }
    done
    echo "== no runtime DLLs needed"
    rm -rf "$unpacked"
    source "$root/tools/xdo.sh"
    in_xvfb "$zip"
fi

zip=$1
# A new prefix of its own, as on a machine that has never seen Orvane.
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/orvane-release-prefix.XXXXXX)
source "$root/tools/wine-env.sh"
source "$root/tools/xdo.sh"
cleanup() { wine_server_stop; rm -rf "$WINEPREFIX"; }
trap cleanup EXIT
trap 'echo "release test: failed at line $LINENO" >&2' ERR
wine_prefix_ready
wine_server_start

app=$WINEPREFIX/drive_c/Orvane
maps=$WINEPREFIX/drive_c/maps
tools=$WINEPREFIX/drive_c/tools
mkdir -p "$app" "$maps" "$tools"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$app"
cp "$root/examples/speedcam.txt" "$maps/speedcam.txt"
build_probe "$tools/ui_probe.exe"
mingw_exe "$tools/version_probe.exe" "$root/tools/version_probe.cpp" -lversion

# What Explorer's Details tab shows.
wine 'C:\tools\version_probe.exe' 'C:\Orvane\Orvane.exe' 2>/dev/null | tr -d '\r' > "$tools/version.txt"
cat "$tools/version.txt"
# The project's version is the one place both programs take theirs from.
version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
for line in "FileVersion=$version.0" '041904B0/ProductName=Orvane' "041904B0/ProductVersion=$version" \
    '041904B0/FileDescription=Orvane: камеры Navitel и iGO для Nissan Connect' \
    '000004B0/ProductName=Orvane' "000004B0/FileVersion=$version.0"; do
    grep -qxF "$line" "$tools/version.txt" || { echo "version information lacks '$line'" >&2; exit 1; }
done
converter_version=$(wine 'C:\Orvane\orvane-convert.exe' --version 2>/dev/null | tr -d '\r')
echo "converter: $converter_version"
[ "$converter_version" = "orvane-convert $version" ]

wine 'C:\Orvane\Orvane.exe' >/dev/null 2>&1 &
pid=$!
terms=$(wait_window 'Условия использования')
keys "$terms" Return
main=$(wait_window 'Orvane')
echo "== terms accepted, main window up"

open_navitel "$main" 'C:\maps\speedcam.txt'
wait_rows 1000 14
echo "objects: $(probe rows Orvane 1000), types: $(probe rows Orvane 1001), ticked: $(probe checked Orvane 1001)"
# The default table exports the five camera types and leaves the road signs out.
[ "$(probe checked Orvane 1001)" = 111110000 ]

save_as "$main" 'C:\maps\speedcam.csv'
box=$(wait_window 'OK')
message=$(probe text OK 65535)
echo "message box: $message"
[ "$message" = "Экспорт успешно завершен." ]
keys "$box" Return
keys "$main" Escape
wait "$pid"

# Portable: the settings are written beside the program.
[ -f "$app/Orvane.ini" ] || { echo "Orvane.ini was not written next to Orvane.exe" >&2; exit 1; }

# The shipped converter with the shipped table must write the same bytes.
wine 'C:\Orvane\orvane-convert.exe' -o 'C:\maps\converter.csv' 'C:\maps\speedcam.txt' >/dev/null 2>&1
cmp "$maps/converter.csv" "$maps/speedcam.csv"
# 10 camera objects under the banner, each line ending in CR LF.
[ "$(wc -l < "$maps/speedcam.csv")" = 11 ]
[ "$(grep -c $'\r$' "$maps/speedcam.csv")" = 11 ]
head -n1 "$maps/speedcam.csv" | grep -q '^0.0000000,0.0000000,"Generated by Orvane team'
grep -qF '37.6173,55.7558,"Камера 60"' "$maps/speedcam.csv"
echo "release test: passed"
