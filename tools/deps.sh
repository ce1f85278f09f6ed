#!/usr/bin/env bash
# Installs what building and testing need, on Debian 12, when it is missing. Needs root.
set -euo pipefail

packages=(g++ python3 cmake ninja-build libgtest-dev googletest locales clang libclang-rt-14-dev
          g++-mingw-w64-x86-64-posix wine64 wine xvfb xauth xdotool imagemagick x11-utils
          fusefat mtools dosfstools)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages and not root: run as root, or apt-get install ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's ANSI code page follows the locale; the Russian one must exist for code page 1251.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    echo "== generating the ru_RU.UTF-8 locale"
    sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
