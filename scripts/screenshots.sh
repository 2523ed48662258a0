#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ from the real program: builds the win64 tree, starts an
# Xvfb and a Wine prefix of its own, and lets scripts/screenshots.py open every menu and dialog.
# Run it again whenever the user interface changes; it rewrites the committed pictures.
set -u
. "$(dirname "$0")/lib.sh"

bash "$QM_ROOT/scripts/install-deps.sh" || exit 1
nice -n 10 bash -c ". '$QM_ROOT/scripts/lib.sh' && qm_build_tree win64" || exit 1
for f in Quillmate qmdriver; do
    [ -f "$QM_BUILD/win64/$f.exe" ] || { echo "missing $QM_BUILD/win64/$f.exe" >&2; exit 1; }
done

cleanup() { qm_stop_wine; qm_stop_xvfb; }
trap cleanup EXIT
trap 'exit 130' INT TERM
qm_start_xvfb || exit 1

# One run per DPI, each in a prefix of its own: 96 (100 %) takes every picture, 144 (150 %) the
# ones with the most labels.
status=0
for dpi in 96 144; do
    qm_stop_wine
    prefix=$QM_BUILD/shots-prefix
    [ "$dpi" -ne 96 ] && prefix=$QM_BUILD/shots-prefix-${dpi}dpi
    qm_wine_env "$prefix"
    qm_wine_captions
    qm_wine_dpi "$dpi"
    # Without the .exe association a fresh prefix's shell hands out the generic icon instead of
    # the program's own, in the captions and the about box.
    marker=$WINEPREFIX/.quillmate-exe-icon
    if [ ! -f "$marker" ]; then
        "$QM_WINE64" reg add 'HKCR\.exe' /ve /d exefile /f >/dev/null 2>&1 </dev/null &&
            : >"$marker" || { echo "cannot prepare the Wine prefix $WINEPREFIX" >&2; exit 1; }
    fi
    python3 "$QM_ROOT/scripts/screenshots.py" --exe "$QM_BUILD/win64/Quillmate.exe" \
        --driver "$QM_BUILD/win64/qmdriver.exe" --wine "$QM_WINE64" --dpi "$dpi" \
        --out "$QM_ROOT/docs/screenshots" "$@" || status=1
done
exit $status
