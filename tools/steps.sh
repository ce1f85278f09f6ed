# Sourced by the scripts that run long steps side by side: each step writes a log of its
# own, and what it printed is shown, whole and in one piece, when it ends. Every step's time
# goes to build/logs/times.txt, which .ci/run prints at its end.
STEPS_LOGS=${STEPS_LOGS:-$ORVANE_ROOT/build/logs}
mkdir -p "$STEPS_LOGS"
declare -A STEP_PID=() STEP_START=()

# Starts a step in the background:  step_start NAME COMMAND...
step_start() {
    local name=$1; shift
    STEP_START[$name]=$(date +%s)
    # The end is noted by the step itself: steps are waited for in order, not as they end.
    { "$@"; local rc=$?; date +%s >"$STEPS_LOGS/$name.end"; exit $rc; } >"$STEPS_LOGS/$name.log" 2>&1 &
    STEP_PID[$name]=$!
}

# Waits for steps, shows each one's output in the order given, and fails when one failed:
#   step_wait [--tail] NAME...    (--tail: only the last line of a step that passed)
step_wait() {
    local tail=0 name rc status=0 seconds
    [ "${1:-}" = --tail ] && { tail=1; shift; }
    for name in "$@"; do
        wait "${STEP_PID[$name]}"
        rc=$?
        seconds=$(( $(cat "$STEPS_LOGS/$name.end" 2>/dev/null || date +%s) - STEP_START[$name] ))
        if [ $rc -eq 0 ] && [ $tail -eq 1 ]; then
            tail -n1 "$STEPS_LOGS/$name.log"
        else
            cat "$STEPS_LOGS/$name.log"
        fi
        if [ $rc -eq 0 ]; then
            echo "== $name: passed in $seconds s"
        else
            echo "== $name: FAILED (exit $rc) after $seconds s"
            status=1
        fi
        printf '%-28s %5d s  %s\n' "$name" "$seconds" "$([ $rc -eq 0 ] && echo ok || echo FAILED)" \
            >>"$STEPS_LOGS/times.txt"
    done
    return $status
}

# Runs a step in the foreground, its output as it comes, with its time noted:
#   step NAME COMMAND...
step() {
    local name=$1 start rc
    shift
    start=$(date +%s)
    "$@"
    rc=$?
    printf '%-28s %5d s  %s\n' "$name" $(( $(date +%s) - start )) \
        "$([ $rc -eq 0 ] && echo ok || echo FAILED)" >>"$STEPS_LOGS/times.txt"
    return $rc
}
