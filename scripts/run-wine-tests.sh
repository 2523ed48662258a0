#!/usr/bin/env bash
# Runs every win64 test executable under Wine on a private Xvfb and prefix, then the labels test
# again in a prefix at 144 DPI; prints each run's GoogleTest summary and exits non-zero on any
# failure.
set -u
. "$(dirname "$0")/lib.sh"

tests_dir=$QM_BUILD/win64
mapfile -t exes < <(find "$tests_dir" -maxdepth 1 -name '*.exe' \( -name 'pure_tests.exe' -o -name 'win_*.exe' \) | sort)
if [ ${#exes[@]} -eq 0 ]; then
    echo "no win64 test executables in $tests_dir (build the win64 tree first)" >&2
    exit 1
fi

cleanup() { qm_stop_wine; qm_stop_xvfb; }
trap cleanup EXIT
qm_start_xvfb || exit 1
qm_wine_env

logs=$QM_BUILD/test-logs
mkdir -p "$logs"
total_passed=0 total_failed=0
run_exe() {  # exe suite-name
    local exe=$1 name=$2 out=$logs/$2.txt rc passed failed
    (cd "$tests_dir" && timeout 600 "$QM_WINE64" "$exe" </dev/null >"$out" 2>&1)
    rc=$?
    read -r passed failed < <(qm_gtest_counts "$out")
    [ $rc -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
    echo "== $name (exit $rc)"
    grep -E '^\[  (PASSED|FAILED) +\]|^\[==========\]' "$out" | tail -n 20
    [ "$failed" -gt 0 ] && { echo "-- output of $name:"; tail -n 80 "$out"; }
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    qm_record "win64:$name" "$passed" "$failed"
}

export QM_EXPECT_DPI=96
for exe in "${exes[@]}"; do
    run_exe "$exe" "$(basename "$exe" .exe)"
done

# The labels once more at 150 %, in a prefix of their own whose LogPixels is 144.
labels=$tests_dir/win_labels_test.exe
if [ -f "$labels" ]; then
    qm_stop_wine
    started=$SECONDS
    qm_wine_env "$QM_BUILD/win64/wineprefix-144dpi"
    qm_wine_dpi 144
    export QM_EXPECT_DPI=144
    run_exe "$labels" win_labels_test-144dpi
    echo "(the 144 DPI prefix and run took $((SECONDS - started)) s)"
fi
echo "win64: $total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
