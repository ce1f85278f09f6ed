#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (ASan + UBSan) and runs each for a bounded time.
#   tools/fuzz.sh [seconds per harness, default 60]
# A finding stops with a non-zero exit; its input is in build/fuzz/findings/. Keep it as a
# regression test by copying it into fuzz/corpus/<harness>/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANE_FUZZ=ON -DORVANE_TESTS=OFF >/dev/null || exit 1
cmake --build build/fuzz -j"$(nproc)" || exit 1

# The three harnesses fuzz side by side: each runs for the given time however many cores
# there are, so together they take that time once instead of three times.
mkdir -p build/fuzz/findings
fuzz() {
    local name=$1 work=build/fuzz/corpus-$1
    mkdir -p "$work"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "build/fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
        -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="build/fuzz/findings/$name-" "$work" "fuzz/corpus/$name" \
        >"build/fuzz/$name.log" 2>&1
}
echo "== fuzzing read, profile and export side by side for $seconds s"
declare -A pid=()
for name in read profile export; do
    fuzz "$name" &
    pid[$name]=$!
done
status=0
for name in read profile export; do
    wait "${pid[$name]}"
    rc=$?
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "build/fuzz/$name.log" | sed "s/^/   $name: /"
    if [ $rc -ne 0 ]; then
        echo "   $name: FINDING (exit $rc)"; tail -40 "build/fuzz/$name.log"; status=1
    else
        echo "   $name: no findings"
    fi
done
exit $status
