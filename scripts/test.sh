#!/usr/bin/env bash
# Builds the three trees and runs every test: native unit tests, a short run of every fuzz
# target, the win64 tests under Wine, the end-to-end scenarios and the win32 smoke test. Ends
# with "N passed, N failed".
set -u
. "$(dirname "$0")/lib.sh"

export QM_RESULTS=$QM_BUILD/results.txt
mkdir -p "$QM_BUILD"
: >"$QM_RESULTS"
log=$QM_BUILD/test-output.txt
: >"$log"
status=0

# Runs one phase with its output kept, so the end of the run can name what failed: a CI log
# is often read from its tail only.
phase() {
    "$@" 2>&1 | tee -a "$log"
    return "${PIPESTATUS[0]}"
}

for tree in native win64 win32; do
    echo "== building $tree"
    if ! qm_build_tree "$tree"; then
        echo "build of $tree failed" >&2
        qm_record "build:$tree" 0 1
        status=1
    fi
done

if [ -x "$QM_BUILD/native/pure_tests" ]; then
    echo "== native unit tests"
    out=$QM_BUILD/native-tests.txt
    "$QM_BUILD/native/pure_tests" >"$out" 2>&1
    rc=$?
    read -r passed failed < <(qm_gtest_counts "$out")
    [ $rc -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
    grep -E '^\[  (PASSED|FAILED) +\]' "$out"
    [ "$failed" -gt 0 ] && tail -n 80 "$out"
    qm_record native "$passed" "$failed"
fi

echo "== fuzz targets, 20 s each"
phase bash "$QM_ROOT/scripts/fuzz.sh" 20 || status=1

echo "== win64 tests under Wine"
phase bash "$QM_ROOT/scripts/run-wine-tests.sh" || status=1

for suite in "$QM_ROOT"/tests/e2e/run-*.sh; do
    [ -f "$suite" ] || continue
    echo "== $(basename "$suite")"
    phase bash "$suite" || status=1
done

read -r passed failed < <(awk '{p += $2; f += $3} END {print p + 0, f + 0}' "$QM_RESULTS")
if [ "$failed" -gt 0 ]; then
    status=1
    echo "== what failed"
    awk '$3 > 0 {print "suite " $1 ": " $3 " failed"}' "$QM_RESULTS"
    grep -hE '^FAIL |^\[  FAILED  \] [A-Za-z]|: FAIL |: FAILED' "$log" \
        "$QM_BUILD/native-tests.txt" 2>/dev/null | sort -u
fi
echo "$passed passed, $failed failed"
exit $status
