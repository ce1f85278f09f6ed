#!/usr/bin/env bash
# Builds the host tree (command-line converter), the sanitizer test tree and the Windows tree.
#   tools/build.sh [host|host-san|host-tsan|win]...   (default: host, host-san, win)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

build() {
    local name=$1 target=()
    shift
    # The ThreadSanitizer tree is there for the core suite's worker threads alone.
    [ "$name" = host-tsan ] && target=(--target orvane_core_tests)
    cmake -S . -B "build/$name" -G Ninja "$@" >/dev/null
    cmake --build "build/$name" -j"$(nproc)" "${target[@]}"
}

# CMake reads a toolchain file only when it first configures a tree; given again, it warns
# that the variable was not used.
toolchain() {
    [ -f "build/$1/CMakeCache.txt" ] || echo "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake"
}

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(host host-san win)
for t in "${targets[@]}"; do
    echo "== build $t"
    case $t in
        host) build host -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF ;;
        host-san) build host-san -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON ;;
        host-tsan) build host-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TSAN=ON ;;
        win) build win -DCMAKE_BUILD_TYPE=Release $(toolchain win) ;;
        *) echo "unknown build $t" >&2; exit 2 ;;
    esac
done
