#!/usr/bin/env bash
# End-to-end scenarios: the real win64 Quillmate.exe under Wine on a private Xvfb, driven by
# xclip, xdotool and the test driver. Records its counts for the summary line.
set -u
. "$(dirname "$0")/../../scripts/lib.sh"

for f in Quillmate qmdriver qmcopier; do
    f=$QM_BUILD/win64/$f.exe
    [ -f "$f" ] || { echo "missing $f (build the win64 tree first)" >&2; qm_record e2e 0 1; exit 1; }
done
cleanup() { qm_stop_wine; qm_stop_xvfb; }
trap cleanup EXIT
qm_start_xvfb || { qm_record e2e 0 1; exit 1; }
qm_wine_env

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$QM_BUILD/win64/CMakeCache.txt")
python3 "$QM_ROOT/tests/e2e/scenarios.py" --version "$version" \
    --exe "$QM_BUILD/win64/Quillmate.exe" --driver "$QM_BUILD/win64/qmdriver.exe" \
    --wine "$QM_WINE64" --results "$QM_BUILD/e2e-counts.txt" "$@"
rc=$?
read -r passed failed <"$QM_BUILD/e2e-counts.txt" || { passed=0; failed=1; }
qm_record e2e "$passed" "$failed"
exit $rc
