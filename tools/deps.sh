#!/usr/bin/env bash
# Installs what building and testing need, on Debian 12, when it is missing. Installing needs
# root; the first run on a fresh machine downloads about 430 MB and takes minutes, so
# it says what it is doing as it goes.
#   tools/deps.sh [the command the user ran, named in the message when root is needed]
set -euo pipefail
asked_by=${1:-tools/deps.sh}

packages=(g++ python3 python3-markdown cmake ninja-build libgtest-dev googletest locales clang
          libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine64 wine fonts-wine xvfb xauth xdotool
          imagemagick x11-utils fusefat mtools dosfstools)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
locale_missing=0
locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$' || locale_missing=1
[ ${#missing[@]} -eq 0 ] && [ $locale_missing -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    {
        echo "Orvane needs Debian packages that are not installed yet, and installing them needs root:"
        [ ${#missing[@]} -gt 0 ] && echo "    ${missing[*]}"
        [ $locale_missing -eq 1 ] && echo "    and the locale ru_RU.UTF-8 (Wine's Russian code page)"
        echo "Run the same command as root, for example:  sudo $asked_by"
    } >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
start=$(date +%s)
elapsed() { echo "$(( $(date +%s) - start )) s"; }

if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing ${#missing[@]} packages and what they need: ${missing[*]}"
    echo "   (on a fresh machine: about 430 MB to download and 3 minutes, more on a slow line)"
    echo "== apt-get update"
    apt-get update -qq
    total=$(apt-get install -s --no-install-recommends "${missing[@]}" | grep -c '^Inst ' || true)
    echo "== $total packages to download, unpack and set up ($(elapsed))"
    # One line for each tenth of every stage, instead of hundreds of lines or none.
    step=$(( total < 10 ? 1 : total / 10 ))
    declare -A done_in=()
    apt-get install -y --no-install-recommends -o Dpkg::Use-Pty=0 "${missing[@]}" 2>&1 |
        while IFS= read -r line; do
            case $line in
                Get:[0-9]*) stage=downloaded ;;
                "Unpacking "*) stage=unpacked ;;
                "Setting up "*) stage="set up" ;;
                E:* | W:*) echo "$line"; continue ;;
                *) continue ;;
            esac
            n=$(( ${done_in[$stage]:-0} + 1 ))
            done_in[$stage]=$n
            if (( n % step == 0 || n == total )); then
                printf '   %-10s %4d of %d packages (%s)\n' "$stage" "$n" "$total" "$(elapsed)"
            fi
        done || { echo "apt-get install failed" >&2; exit 1; }
    echo "== packages installed ($(elapsed))"
fi

# Wine's ANSI code page follows the locale; the Russian one must exist for code page 1251.
if [ $locale_missing -eq 1 ]; then
    echo "== generating the ru_RU.UTF-8 locale"
    sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
