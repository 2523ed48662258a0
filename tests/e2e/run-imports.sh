#!/usr/bin/env bash
# Import check of the shipped 32-bit Quillmate.exe: its import table may name only libraries that
# Windows always takes from the system folder. Any other name would be looked for beside the exe
# first, so a file of that name dropped next to a portable copy would run inside it; such
# libraries are loaded at run time by their full path instead.
set -u
. "$(dirname "$0")/../../scripts/lib.sh"

IMPORTS_EXE=${1:-$QM_BUILD/win32/Quillmate.exe}
IMPORTS_OBJDUMP=i686-w64-mingw32-objdump
# Known system libraries, and COMCTL32: the application manifest binds it to the side-by-side
# Common Controls assembly, which the loader takes from the system's assembly store.
IMPORTS_ALLOWED="kernel32 user32 gdi32 shell32 ole32 imm32 ws2_32 msvcrt comdlg32 advapi32
shlwapi oleaut32 comctl32"

passed=0 failed=0
pass() { passed=$((passed + 1)); echo "imports: ok   $1"; }
fail() { failed=$((failed + 1)); echo "imports: FAIL $1"; }

finish() {
    qm_record imports "$passed" "$failed"
    echo "imports: $passed checks passed, $failed failed"
    exit $((failed > 0))
}

[ -f "$IMPORTS_EXE" ] || { fail "missing $IMPORTS_EXE (build the win32 tree first)"; finish; }
names=$("$IMPORTS_OBJDUMP" -p "$IMPORTS_EXE" 2>/dev/null | sed -n 's/^[[:space:]]*DLL Name: //p')
# An unreadable table must not pass as an empty one: every program imports KERNEL32.
if printf '%s\n' "$names" | grep -qix 'kernel32.dll'; then
    pass "the import table is read"
else
    fail "the import table of $IMPORTS_EXE is read (no KERNEL32.dll found)"
    finish
fi
while read -r name; do
    base=$(printf '%s' "${name%.*}" | tr 'A-Z' 'a-z')
    if printf '%s\n' $IMPORTS_ALLOWED | grep -qx -- "$base"; then
        pass "$name is taken from the system folder"
    else
        fail "$name is imported by name: load it with LoadSystemLibrary"
    fi
done <<<"$names"
finish
