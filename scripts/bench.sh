#!/usr/bin/env bash
# Builds and runs every benchmark and prints one table: capture under Xvfb against CopyQ on the
# same display, memory and start-up under Wine, the shipped exe's size, and the list-file codec
# against plain fwrite/fread (native, optimised), and the history search per keystroke (the matcher
# natively, key to list painted under Wine). Measures only: nothing here passes or fails.
set -u
. "$(dirname "$0")/lib.sh"

# The peer and the copier's headers; installed here, never needed by the tests.
missing=()
command -v copyq >/dev/null || missing+=(copyq)
[ -f /usr/include/X11/Xlib.h ] || missing+=(libx11-dev)
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" = 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" \
            >/dev/null || { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive \
            apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null; }
    else
        echo "bench: missing ${missing[*]} (install as root)" >&2
    fi
fi

dir=$QM_BUILD/bench
mkdir -p "$dir"
[ -f "$dir/CMakeCache.txt" ] ||
    cmake -S "$QM_ROOT" -B "$dir" -G Ninja -DQM_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "$(nproc)" >/dev/null || exit 1
cc -O2 -Wall -Wextra -o "$dir/xcopier" "$QM_ROOT/tests/bench/xcopier.c" -lX11 || exit 1
for tree in win64 win32; do
    qm_build_tree "$tree" >"$dir/build-$tree.log" 2>&1 || { cat "$dir/build-$tree.log"; exit 1; }
done

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "load before: $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%Y-%m-%d %H:%M UTC')"
"$dir/quillmate_bench" --benchmark_out="$dir/codec.json" --benchmark_out_format=json \
    ${QM_BENCH_FILTER:+--benchmark_filter="$QM_BENCH_FILTER"} >"$dir/codec.txt" 2>&1 ||
    { cat "$dir/codec.txt"; exit 1; }

# The search's matcher over a full history of 4 KB texts; target p99 <= 5 ms.
"$dir/search_bench" || exit 1
# The shared folder's merge of two machines' files of 1,000 registered texts.
"$dir/shared_bench" || exit 1

cleanup() {
    qm_stop_wine
    qm_stop_xvfb
}
trap cleanup EXIT
qm_start_xvfb || exit 1
qm_wine_env
# The search window in-process: a key typed into its field to the list painted; target p99 <= 16 ms.
(cd "$QM_BUILD/win64" && "$QM_WINE64" search_winbench.exe </dev/null) || exit 1
copyq_flag=()
command -v copyq >/dev/null || copyq_flag=(--no-copyq)
QM_DRIVER=$QM_BUILD/win64/qmdriver.exe python3 "$QM_ROOT/tests/bench/capture_bench.py" \
    --exe "$QM_BUILD/win64/Quillmate.exe" --exe32 "$QM_BUILD/win32/Quillmate.exe" \
    --bare "$QM_BUILD/win64/barewindow.exe" --copier "$dir/xcopier" \
    --codec-json "$dir/codec.json" --json-out "$dir/capture.json" "${copyq_flag[@]}" "$@"
status=$?
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
