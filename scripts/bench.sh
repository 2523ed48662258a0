#!/usr/bin/env bash
# Builds and runs the benchmarks (native, optimised): capture, history file, menu layout.
set -u
. "$(dirname "$0")/lib.sh"
dir=$QM_BUILD/bench
mkdir -p "$dir"
[ -f "$dir/CMakeCache.txt" ] ||
    cmake -S "$QM_ROOT" -B "$dir" -G Ninja -DQM_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "$(nproc)" && "$dir/quillmate_bench" "$@"
