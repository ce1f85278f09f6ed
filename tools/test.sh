#!/usr/bin/env bash
# Builds both targets and runs every test: the host suite natively with AddressSanitizer and
# UndefinedBehaviorSanitizer and again with ThreadSanitizer, the Windows suites under Wine in
# a virtual X display.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/tools/deps.sh" || exit 1
"$root/tools/build.sh" host host-san host-tsan win || exit 1

status=0
echo "== host tests (gcc, ASan + UBSan)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/host-san --output-on-failure -V --timeout 600 || status=1

echo "== host core suite (gcc, ThreadSanitizer: the reader's worker threads)"
TSAN_OPTIONS=halt_on_error=1 build/host-tsan/tests/orvane_core_tests --gtest_brief=1 || status=1

echo "== Windows tests (MinGW-w64 build under Wine)"
source "$root/tools/wine-env.sh"
source "$root/tools/xdo.sh"
wine_prefix_ready || { echo "Wine prefix setup failed" >&2; exit 1; }
xvfb bash -c '
    source tools/wine-env.sh
    wine_server_start
    rc=0
    ctest --test-dir build/win --output-on-failure -V --timeout 600 || rc=$?
    wine_server_stop
    exit $rc' || status=1

if [ $status -eq 0 ]; then echo "== all tests passed"; else echo "== TESTS FAILED"; fi
exit $status
