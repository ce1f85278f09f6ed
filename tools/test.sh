#!/usr/bin/env bash
# Builds both targets and runs every test: the host suite natively with AddressSanitizer and
# UndefinedBehaviorSanitizer, its tests that start the reader's worker threads once more with
# ThreadSanitizer, and the Windows suites under Wine in a virtual X display. The four trees
# build side by side, and the three runs go side by side; each is shown whole when it ends,
# with its time.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export ORVANE_ROOT=$root
source "$root/tools/steps.sh"
: >"$STEPS_LOGS/times.txt"

step deps "$root/tools/deps.sh" tools/test.sh || exit 1

echo "== building host, host-san, host-tsan and win side by side"
trees=(host host-san host-tsan win)
for tree in "${trees[@]}"; do step_start "build-$tree" "$root/tools/build.sh" "$tree"; done
step_wait --tail "${trees[@]/#/build-}" || { echo "== BUILD FAILED"; exit 1; }

# Only these start worker threads (files of more than one block): the rest of the suite
# would only repeat under ThreadSanitizer what the run with AddressSanitizer shows.
threaded='BlockBoundaries.*:HostileSpeedcam.*:BigInput.*:Golden.*:Converter.*'

windows_tests() {
    source "$root/tools/wine-env.sh"
    source "$root/tools/xdo.sh"
    wine_prefix_ready || { echo "Wine prefix setup failed" >&2; return 1; }
    xvfb bash -c '
        source tools/wine-env.sh
        wine_server_start
        rc=0
        ctest --test-dir build/win --output-on-failure --timeout 600 || rc=$?
        wine_server_stop
        exit $rc'
}

echo "== tests: host (ASan + UBSan), worker threads (TSan) and Windows (Wine) side by side"
step_start host-tests env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/host-san --output-on-failure --timeout 600
step_start threads-tsan env TSAN_OPTIONS=halt_on_error=1 \
    build/host-tsan/tests/orvane_core_tests --gtest_brief=1 --gtest_filter="$threaded"
step_start windows-tests windows_tests
status=0
step_wait host-tests threads-tsan windows-tests || status=1

if [ $status -eq 0 ]; then echo "== all tests passed"; else echo "== TESTS FAILED"; fi
exit $status
