#!/usr/bin/env bash
# Builds the fuzz tree and runs every libFuzzer target for the given seconds (default 60).
# Each target starts from its committed seeds (fuzz/corpus/NAME) and the corpus it grew in
# earlier runs (build/fuzz/corpus/NAME); a crash leaves its input in build/fuzz/crashes and
# prints the command that replays it. Records one result per target for test.sh's summary.
#   bash scripts/fuzz.sh [seconds] [target...]
set -u
. "$(dirname "$0")/lib.sh"

seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))
dir=$QM_BUILD/fuzz

if ! command -v clang++ >/dev/null; then
    echo "clang++ is missing: run scripts/install-deps.sh" >&2
    qm_record fuzz:build 0 1
    exit 1
fi
echo "== building the fuzz tree"
if ! qm_build_tree fuzz; then
    echo "build of the fuzz tree failed" >&2
    qm_record fuzz:build 0 1
    exit 1
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for exe in "$dir"/*_fuzz; do [ -x "$exe" ] && targets+=("$(basename "$exe" _fuzz)"); done
fi

status=0
mkdir -p "$dir/crashes" "$dir/logs"
for name in "${targets[@]}"; do
    exe=$dir/${name}_fuzz
    corpus=$dir/corpus/$name
    seeds=$QM_ROOT/fuzz/corpus/$name
    log=$dir/logs/$name.log
    mkdir -p "$corpus" "$seeds"
    # -timeout: an input that takes 10 s is a hang; -rss_limit_mb: a leak or a runaway block.
    "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$dir/crashes/$name-" "$corpus" "$seeds" >"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    if [ $rc -eq 0 ]; then
        echo "fuzz $name: ${runs:-?} runs in ${seconds} s, ${speed:-?} per second, no crash"
        qm_record "fuzz:$name" 1 0
        continue
    fi
    status=1
    qm_record "fuzz:$name" 0 1
    echo "fuzz $name: FAILED (exit $rc) after ${runs:-?} runs"
    grep -E 'invariant failed|ERROR: |runtime error|SUMMARY' "$log" | head -n 5
    reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    if [ -n "$reproducer" ]; then
        echo "reproducer: $reproducer"
        echo "replay with: $exe $reproducer"
    else
        echo "no reproducer written; the whole log is $log"
    fi
done
exit $status
