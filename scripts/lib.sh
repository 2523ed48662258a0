# Shared shell functions of the build and test scripts: build trees, Xvfb and the Wine prefix.
# Sourced, never run. Every process started here is stopped by its own id.

QM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QM_BUILD=${QM_BUILD:-$QM_ROOT/build}
QM_WINE64=/usr/lib/wine/wine64
QM_WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

qm_build_tree() {  # tree: native | win64 | win32 | fuzz
    local tree=$1 dir=$QM_BUILD/$1 args=() toolchain=''
    case $tree in
        win64|win32) toolchain=$QM_ROOT/cmake/toolchain-$tree.cmake
                     args=(-DCMAKE_TOOLCHAIN_FILE="$toolchain") ;;
        fuzz) args=(-DQM_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    esac
    # CMake keeps the compilers it found first: a changed toolchain file needs a fresh configure.
    if [ -n "$toolchain" ] && [ "$toolchain" -nt "$dir/CMakeCache.txt" ]; then
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
    local gen=()
    command -v ninja >/dev/null && gen=(-G Ninja)
    mkdir -p "$QM_BUILD"
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$QM_ROOT" -B "$dir" "${gen[@]}" "${args[@]}" >"$QM_BUILD/configure-$tree.log" 2>&1 ||
            { cat "$QM_BUILD/configure-$tree.log"; return 1; }
    fi
    cmake --build "$dir" -j "$(nproc)"
}

# Starts Xvfb on the first free display; sets DISPLAY and QM_XVFB_PID.
qm_start_xvfb() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        QM_XVFB_PID=$!
        local i
        for i in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if kill -0 "$QM_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            return 0
        fi
    done
    echo "no free display for Xvfb" >&2
    return 1
}

qm_stop_xvfb() {
    [ -n "${QM_XVFB_PID:-}" ] && kill "$QM_XVFB_PID" 2>/dev/null && wait "$QM_XVFB_PID" 2>/dev/null
    QM_XVFB_PID=
}

# Sets the Wine environment for a prefix (default: the win64 tree's private prefix) and
# initialises the prefix once. The wineserver and desktop processes are started with their
# output on /dev/null so that no later reader of a Wine process's output waits for them.
qm_wine_env() {
    export WINEPREFIX=${1:-$QM_BUILD/win64/wineprefix}
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LC_ALL=ja_JP.UTF-8
    export WINEARCH=win64
    mkdir -p "$WINEPREFIX"
    "$QM_WINESERVER" -p >/dev/null 2>&1 </dev/null
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "initialising the Wine prefix $WINEPREFIX" >&2
        "$QM_WINE64" wineboot -i >/dev/null 2>&1 </dev/null
    else
        "$QM_WINE64" wineboot >/dev/null 2>&1 </dev/null
    fi
    qm_wine_fonts
}

# The dialog templates name "ＭＳ Ｐゴシック", which a Wine prefix lacks: without a substitute Wine
# falls back to a face without Japanese glyphs and every label shows as boxes. IPAPGothic has that
# face's metrics, so labels measure as they do on Windows. The marker names the substitute: a
# prefix made with another one is given the new one once.
QM_DIALOG_FACE="ＭＳ Ｐゴシック"
QM_DIALOG_FACE_SUBSTITUTE="IPAPGothic"
qm_wine_fonts() {
    qm_wine_setting ".quillmate-fonts-$QM_DIALOG_FACE_SUBSTITUTE" \
        'HKCU\Software\Wine\Fonts\Replacements' "$QM_DIALOG_FACE" "$QM_DIALOG_FACE_SUBSTITUTE"
    # The caption buttons are Marlett's symbols (fonts-wine). This Wine finds that face only in
    # the prefix's own font folder; without it the buttons show letters.
    local marlett=/usr/share/wine/fonts/marlett.ttf folder=$WINEPREFIX/drive_c/windows/Fonts
    if [ -f "$marlett" ] && [ -d "$folder" ] && [ ! -e "$folder/marlett.ttf" ]; then
        ln -s "$marlett" "$folder/marlett.ttf"
    fi
}

# The system DPI of a prefix (96 is 100 %, 144 is 150 %), read by Wine when its processes start.
qm_wine_dpi() {  # dpi
    qm_wine_setting ".quillmate-dpi-$1" 'HKCU\Control Panel\Desktop' LogPixels "$1" REG_DWORD
}

# Wine draws the windows' captions itself, as Windows would, where no window manager runs (a
# private Xvfb): for screenshots only, in a prefix of their own, since it slows the clipboard
# hand-over between X and Wine enough to lose copies made 20 ms apart.
qm_wine_captions() {
    qm_wine_setting .quillmate-captions 'HKCU\Software\Wine\X11 Driver' Decorated N
}

qm_wine_setting() {  # marker key name data [type]
    [ -f "$WINEPREFIX/$1" ] && return 0
    "$QM_WINE64" reg add "$2" /v "$3" /t "${5:-REG_SZ}" /d "$4" /f >/dev/null 2>&1 </dev/null &&
        : >"$WINEPREFIX/$1"
}

qm_stop_wine() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    "$QM_WINESERVER" -k >/dev/null 2>&1 </dev/null
    "$QM_WINESERVER" -w >/dev/null 2>&1 </dev/null
}

# Appends "suite passed failed" to the results file that test.sh sums.
qm_record() {
    mkdir -p "$QM_BUILD"
    echo "$1 $2 $3" >>"${QM_RESULTS:-$QM_BUILD/results.txt}"
}

# Sums the GoogleTest summary of one executable's output: prints "passed failed".
qm_gtest_counts() {
    local out=$1 passed failed
    passed=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$out" | tail -1 | sed -E 's/^\[  PASSED  \] ([0-9]+).*/\1/')
    failed=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$out" | tail -1 | sed -E 's/^\[  FAILED  \] ([0-9]+).*/\1/')
    passed=${passed:-0}
    failed=${failed:-0}
    # A run that ended without its summary (a crash) counts as one failure.
    grep -qE '^\[==========\] [0-9]+ tests? from .* ran' "$out" || failed=$((failed + 1))
    echo "$passed $failed"
}
