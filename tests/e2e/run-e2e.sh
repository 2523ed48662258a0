#!/usr/bin/env bash
# End-to-end scenarios: the real win64 Quillmate.exe under Wine on a private Xvfb, driven by
# xclip, xdotool and the test driver. Records its counts for the summary line.
#   run-e2e.sh [--suite NAME] [--locale LOCALE] [scenario...]
# NAME.py in this folder (default: scenarios); with LOCALE, Quillmate alone runs under that
# locale (another system code page) and the counts are recorded as the suite's LOCALE run.
set -u
. "$(dirname "$0")/../../scripts/lib.sh"

suite=e2e
script=scenarios.py
if [ "${1:-}" = --suite ]; then
    suite=$2
    script=$2.py
    shift 2
fi
locale_args=()
if [ "${1:-}" = --locale ]; then
    suite=$suite-${2%%.*}
    locale_args=(--locale "$2")
    shift 2
fi

for f in Quillmate qmdriver qmcopier; do
    f=$QM_BUILD/win64/$f.exe
    [ -f "$f" ] && continue
    echo "missing $f (build the win64 tree first)" >&2
    qm_record "$suite" 0 1
    exit 1
done
cleanup() { qm_stop_wine; qm_stop_xvfb; }
trap cleanup EXIT
qm_start_xvfb || { qm_record "$suite" 0 1; exit 1; }
qm_wine_env

counts=$QM_BUILD/$suite-counts.txt
rm -f "$counts"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$QM_BUILD/win64/CMakeCache.txt")
python3 "$QM_ROOT/tests/e2e/$script" --version "$version" \
    --exe "$QM_BUILD/win64/Quillmate.exe" --driver "$QM_BUILD/win64/qmdriver.exe" \
    --wine "$QM_WINE64" --results "$counts" "${locale_args[@]}" "$@"
rc=$?
read -r passed failed <"$counts" || { passed=0; failed=1; }
qm_record "$suite" "$passed" "$failed"
exit $rc
