#!/usr/bin/env bash
# Builds Quillmate and starts it under Wine. Uses the desktop's DISPLAY when there is one,
# otherwise an Xvfb of its own. Its .ini, .hst and .use files live in build/run/.
set -u
. "$(dirname "$0")/lib.sh"

bash "$QM_ROOT/scripts/install-deps.sh" || exit 1
qm_build_tree win64 || exit 1
qm_build_tree win32 || exit 1
run_dir=$QM_BUILD/run
mkdir -p "$run_dir"
cp "$QM_BUILD/win64/Quillmate.exe" "$run_dir/Quillmate.exe"

cleanup() { qm_stop_wine; qm_stop_xvfb; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    qm_start_xvfb || exit 1
    echo "no DISPLAY: Quillmate runs on the virtual display $DISPLAY"
fi
qm_wine_env "$QM_BUILD/run-prefix"
cd "$run_dir" || exit 1
"$QM_WINE64" ./Quillmate.exe "$@" &
quillmate=$!
if [ -n "${QM_XVFB_PID:-}" ] && [ $# -eq 0 ]; then
    # Nobody sees this display: say how to reach the program from another shell.
    "$QM_WINE64" "$QM_BUILD/win64/qmdriver.exe" wait-window 60000 >/dev/null 2>&1 </dev/null
    driver="DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX WINEDEBUG=-all $QM_WINE64"
    driver+=" $QM_BUILD/win64/qmdriver.exe"
    cat <<EOF
Use it from another shell:
  copy a text:      printf '%s' 'こんにちは' | DISPLAY=$DISPLAY xclip -selection clipboard
  open the menu:    $driver icon-click left
                    (then: $driver keys down,down,return)
  take a picture:   DISPLAY=$DISPLAY import -window root quillmate.png
EOF
fi
echo "Quillmate is running (its icon sits in Wine's notification area); Ctrl-C ends it."
wait "$quillmate"
