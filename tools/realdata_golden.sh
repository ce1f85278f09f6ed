#!/usr/bin/env bash
# Both public speedcam files through the converter as a user runs it, with the shipped table:
# the CSV must be the one recorded when it was checked by hand; and the iGO file opened as
# Navitel must get the hint that names --format igo. Skipped (77) when ../shared/realdata is
# not beside the source tree.
#   tools/realdata_golden.sh <converter> [wine]   (with "wine", the Windows build under Wine)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
converter=$1
runner=()
drive=""
if [ "${2:-}" = wine ]; then runner=(wine); drive="Z:"; fi
real=$root/../shared/realdata
[ -d "$real" ] || { echo "skipped: $real is not there"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
while read -r name digest; do
    "${runner[@]}" "$converter" --format igo --config "$drive$root/resources/Config.txt" \
        -o "$drive$out/speedcam.csv" "$drive$real/$name" >/dev/null
    got=$(sha256sum "$out/speedcam.csv" | cut -d' ' -f1)
    if [ "$got" = "$digest" ]; then echo "ok: $name"; else echo "FAIL: $name gives $got" >&2; status=1; fi
done <<'LIST'
SpeedCamOnline.ru_2019-11-05_PRIMO_Rus.txt 546de69343f47af0291c374d104ec45129ea4691f5768c1724affd1d09d9a78c
uk-speed-cameras-poi_osc.txt 09c2f1c6e91b1f590542817879d1ef09c35774646581a3d309577d6d77d1dfc0
LIST
# The iGO file read as Navitel: 25,325 objects, none of a Navitel type.
hint=$("${runner[@]}" "$converter" --config "$drive$root/resources/Config.txt" \
    -o "$drive$out/speedcam.csv" "$drive$real/SpeedCamOnline.ru_2019-11-05_PRIMO_Rus.txt" 2>&1 >/dev/null | tr -d '\r')
expected="orvane-convert: hint: no type of this file is in the Navitel table; most are in the IGO table: try --format igo"
if [ "$hint" = "$expected" ]; then echo "ok: the iGO file as Navitel is hinted at"
else echo "FAIL: the iGO file as Navitel gives: $hint" >&2; status=1; fi
exit $status
