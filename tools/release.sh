#!/usr/bin/env bash
# Builds the portable Windows release from the checked-out sources:
#   dist/Orvane-<version>-win64.zip  (Orvane.exe, orvane-convert.exe, Config.txt, ПРОЧТИ.txt,
#                                     Руководство.html, LICENSE.txt)
# Two runs on one commit give the same bytes: the build tree is made afresh, the linker
# strips the programs and writes no time stamp into them (a separate strip would add one),
# and every zip entry has the commit's date, a fixed mode and a fixed place.
#   tools/release.sh [output folder]     (default: dist)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
dist=$(realpath -m "${1:-$root/dist}")

version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
# The commit's date, or the release day of 1.0.0 outside a git checkout.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1764979200)

"$root/tools/deps.sh" tools/release.sh

build=$root/build/release
rm -rf "$build"
echo "== build release $version"
# No tests in this tree; the source folder is mapped away so that the clone's path cannot
# reach the programs.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root=." \
    -DCMAKE_EXE_LINKER_FLAGS="-s -Wl,--no-insert-timestamp" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Orvane orvane-convert

stage=$build/stage
mkdir -p "$stage"
cp "$build/app/Orvane.exe" "$build/cli/orvane-convert.exe" "$stage/"
cp resources/Config.txt "$stage/Config.txt"
# Plain-text files for Notepad: a byte-order mark and CR LF line ends.
to_notepad() { { printf '\xEF\xBB\xBF'; sed 's/\r$//; s/$/\r/' "$1"; } > "$2"; }
to_notepad docs/ru/ПРОЧТИ.txt "$stage/ПРОЧТИ.txt"
to_notepad LICENSE "$stage/LICENSE.txt"
# The user guide as one page with its pictures inside, for a double click.
tools/guide_html.py docs/ru/руководство.md "$stage/Руководство.html"

mkdir -p "$dist"
zip=$dist/Orvane-$version-win64.zip
python3 - "$stage" "$zip" "$stamp" <<'PY'
import sys, time, zipfile
stage, out, stamp = sys.argv[1], sys.argv[2], int(sys.argv[3])
names = ["Orvane.exe", "orvane-convert.exe", "Config.txt", "ПРОЧТИ.txt", "Руководство.html",
         "LICENSE.txt"]
date = time.gmtime(max(stamp, 315532800))[:6]  # zip dates start in 1980
with zipfile.ZipFile(out, "w") as z:
    for name in names:
        info = zipfile.ZipInfo(name, date_time=date)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3
        info.external_attr = 0o100644 << 16
        with open(f"{stage}/{name}", "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
PY
echo "$zip"
sha256sum "$zip" | cut -d' ' -f1
