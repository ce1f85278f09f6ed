#!/usr/bin/env bash
# Presents real FAT volumes to a Wine prefix of their own as removable drives, runs a command
# while they are there, and takes everything down again, also after a failure or Ctrl+C.
#   tools/drive_volumes.sh [build folder] [command...]     (default build/win)
# Without a command it runs the drive dialog's tests over the volumes, then reads what the
# export left inside the images from outside Wine (mtools) and checks them with fsck.fat.
# Needs root, /dev/fuse and loop devices; without one it says which and exits 77 (skipped).
#
# Wine reads a drive's file system and label from the boot sector of the device its "x::"
# link names, and its size from statfs of the folder its "x:" link names:
#   E:  FAT32 7.5 GiB "NISSAN"   loop device, fusefat read-write: the export lands in the image
#   F:  FAT16 512 MiB, no label  loop device, a 512 MiB tmpfs as its folder
#   G:  FAT32 16 GiB "BIG"       loop device, fusefat read-only
#   H:  ext2 (Wine: NTFS)        loop device, a 2 GiB tmpfs
#   I:  nothing to read          the device link is a folder, the folder link leads nowhere
#   J:  FAT12 128 KiB, full      loop device, fusefat read-write, an older speedcam.csv on it
#   K:  FAT32 of exactly 8 GiB   loop device, an 8 GiB tmpfs
#   M:  FAT, size unknown        F's device, the folder link leads nowhere
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/xdo.sh"
[ -n "${DISPLAY:-}" ] || in_xvfb "$@"
build=$(realpath "${1:-$root/build/win}")
[ $# -gt 0 ] && shift

skip() { echo "drive volumes: skipped, $1" >&2; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "not root: loop devices and mounts need root"
[ -c /dev/fuse ] || skip "/dev/fuse is missing"
losetup -f >/dev/null 2>&1 || skip "no free loop device (/dev/loop-control, /dev/loop*)"
for tool in fusefat mkfs.fat fsck.fat mcopy mmd mdir mke2fs mountpoint; do
    command -v "$tool" >/dev/null || skip "$tool is missing (tools/deps.sh installs it)"
done

export WINEPREFIX=$build/wineprefix-volumes
source "$root/tools/wine-env.sh"
volumes=$build/drive-volumes
letters=(e f g h i j k m)
old_csv=$root/tests/expected/igo_indexed.csv
mounts=() loops=() daemons=() child=

# In the background, so that a signal reaches the trap at once instead of after the command.
run() { "$@" & child=$!; wait "$child"; }

teardown() {
    set +e
    wine_server_stop
    local m
    for m in "${mounts[@]}"; do mountpoint -q "$m" && umount "$m"; done
    # Once its fusefat has ended, an image holds everything written to it.
    [ ${#daemons[@]} -eq 0 ] || wait "${daemons[@]}" 2>/dev/null
    for m in "${loops[@]}"; do losetup -d "$m"; done
    for m in "${letters[@]}"; do
        rm -f "$WINEPREFIX/dosdevices/$m:" "$WINEPREFIX/dosdevices/$m::"
    done
    mounts=() loops=() daemons=()
}
trap teardown EXIT
trap '[ -z "$child" ] || kill "$child" 2>/dev/null; exit 130' INT TERM
trap 'echo "drive volumes: failed at line $LINENO" >&2' ERR

# A run that was killed outright can leave mounts and loop devices behind.
leftovers() {
    local m
    for m in $(awk -v d="$volumes/" 'index($2, d) == 1 {print $2}' /proc/mounts); do
        umount "$m"
    done
    for m in "$volumes"/*.img; do
        [ -e "$m" ] && losetup -j "$m" | cut -d: -f1 | xargs -r -n1 losetup -d
    done
    return 0
}

attach() { dev=$(losetup -f --show "$volumes/$1.img"); loops+=("$dev"); }
fat_folder() {  # fusefat MODE LETTER: the files go into the image on $dev
    local dir=$volumes/mnt/$2
    mkdir -p "$dir"
    # In the foreground, so that teardown can wait until it has written everything.
    fusefat -f -s -o "$1,fsname=orvane-$2" "$dev" "$dir" >/dev/null 2>&1 &
    daemons+=($!) mounts+=("$dir")
    for _ in $(seq 50); do mountpoint -q "$dir" && return 0; sleep 0.1; done
    echo "drive volumes: fusefat did not mount $2:" >&2
    return 1
}
tmpfs_folder() {  # SIZE LETTER
    mkdir -p "$volumes/mnt/$2"
    mount -t tmpfs -o "size=$1" tmpfs "$volumes/mnt/$2"
    mounts+=("$volumes/mnt/$2")
}
drive() {  # LETTER DEVICE FOLDER
    ln -sfn "$2" "$WINEPREFIX/dosdevices/$1::"
    ln -sfn "$3" "$WINEPREFIX/dosdevices/$1:"
}

wine_prefix_ready
wine_server_stop || true  # none may be running
leftovers
start=$(date +%s%N)
rm -rf "$volumes" && mkdir -p "$volumes/mnt"
cd "$volumes"

# Sparse images: only the written sectors take room.
truncate -s 7680M e.img && mkfs.fat -F 32 -n NISSAN e.img >/dev/null
truncate -s 512M f.img && mkfs.fat -F 16 f.img >/dev/null
# Without a label mkfs.fat writes "NO NAME" into the boot sector, and Wine shows that text;
# Windows takes the label from the root folder and shows none. Blanks show as none in both.
printf '%11s' '' | dd of=f.img bs=1 seek=43 conv=notrunc status=none
truncate -s 16G g.img && mkfs.fat -F 32 -n BIG g.img >/dev/null
truncate -s 64M h.img && mke2fs -q -F h.img
truncate -s 40M k.img && mkfs.fat -F 32 -s 1 -n 8GB k.img >/dev/null
# J is full before the export starts: one older list and a filler over every free cluster.
truncate -s 128K j.img && mkfs.fat j.img >/dev/null
mmd -i j.img ::/myPOIs ::/myPOIs/myPOIWarnings
mcopy -i j.img "$old_csv" ::/myPOIs/myPOIWarnings/speedcam.csv
free=$(LC_ALL=C mdir -i j.img ::/ | grep 'bytes free' | tr -dc 0-9)
head -c "$free" /dev/zero >filler && mcopy -i j.img filler ::/filler.bin && rm filler

attach e && drive e "$dev" "$volumes/mnt/e" && fat_folder rw+ e
# F takes folders made and removed case after case. A fusefat mount of FAT16 rewrites FAT[1]
# and can lose the cluster chain of a file written over, so F's folder is a tmpfs of its size.
attach f && drive f "$dev" "$volumes/mnt/f" && tmpfs_folder 512m f
drive m "$dev" "$volumes/mnt/none"
attach g && drive g "$dev" "$volumes/mnt/g" && fat_folder ro g
attach h && drive h "$dev" "$volumes/mnt/h" && tmpfs_folder 2g h
mkdir -p "$volumes/mnt/i-device" && drive i "$volumes/mnt/i-device" "$volumes/mnt/none"
attach j && drive j "$dev" "$volumes/mnt/j" && fat_folder rw+ j
# statfs of a FAT counts its data area only, always less than the image; exactly 8 GiB
# comes from a tmpfs of that size.
attach k && drive k "$dev" "$volumes/mnt/k" && tmpfs_folder 8g k

# The mount manager reads the drive types when the wineserver starts.
{
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n'
    for l in "${letters[@]}"; do printf '"%s:"="floppy"\n' "$l"; done
} >drives.reg
wine regedit /S drives.reg >/dev/null 2>&1
wine_server_stop || true
wine_server_start
echo "drive volumes: ready in $(( ($(date +%s%N) - start) / 1000000 )) ms"

cd "$root"
status=0
if [ $# -gt 0 ]; then
    run "$@" || status=$?
    exit $status
fi
run env ORVANE_DRIVE_VOLUMES=1 wine "$build/tests/win/orvane_drive_tests.exe" \
    --gtest_filter='RealVolumes*' || status=1
teardown

check() {  # WHAT COMMAND...
    if "${@:2}" >"$volumes/check.log" 2>&1; then echo "ok: $1"
    else echo "FAILED: $1"; cat "$volumes/check.log"; status=1; fi
}
csv=::/myPOIs/myPOIWarnings/speedcam.csv
check "E: speedcam.csv read with mcopy equals the saved export" \
    bash -c "mcopy -n -i '$volumes/e.img' $csv - | cmp - '$root/tests/expected/navitel.csv'"
check "E: fsck.fat finds nothing" fsck.fat -n "$volumes/e.img"
check "J: the older speedcam.csv is whole" \
    bash -c "mcopy -n -i '$volumes/j.img' $csv - | cmp - '$old_csv'"
check "J: no half-written file is left" \
    bash -c "[ \"\$(mdir -b -i '$volumes/j.img' ::/myPOIs/myPOIWarnings)\" = '$csv' ]"
check "J: fsck.fat finds nothing" fsck.fat -n "$volumes/j.img"
check "no mount and no loop device is left" \
    bash -c "! mount | grep -F '$volumes/' && ! losetup -a | grep -F '$volumes/'"
exit $status
