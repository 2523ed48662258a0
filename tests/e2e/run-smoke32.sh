#!/usr/bin/env bash
# Smoke test of the shipped 32-bit Quillmate.exe (the win32 tree's PE32 build) under 32-bit Wine:
# natively where the kernel runs 32-bit programs, otherwise through qemu's user-mode emulation.
# Installs wine32 (and qemu, registered for 32-bit ELF files, when needed) as root, then runs the
# resident mode (two copies, the .hst file, the quit command, the .ini) and the path-copy mode on
# the real exe. Where the kernel refuses the qemu registration it reports itself SKIPPED.
set -u
. "$(dirname "$0")/../../scripts/lib.sh"

SMOKE_EXE=$QM_BUILD/win32/Quillmate.exe
SMOKE_DRIVER=$QM_BUILD/win64/qmdriver.exe
SMOKE_PREFIX=$QM_BUILD/win32/wineprefix32
SMOKE_LOADER32=/usr/lib/wine/wine
SMOKE_BINFMT=/proc/sys/fs/binfmt_misc
# 32-bit x86 ELF executables and shared objects go to qemu; "F" opens qemu at registration, so
# it is found from any mount namespace. The kernel itself decodes the \x escapes.
SMOKE_BINFMT_ENTRY=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F'
# Every 32-bit Wine process takes about 50 seconds to start under emulation.
SMOKE_DEADLINE=$((SECONDS + 600))

passed=0 failed=0
smoke_dir='' resident_pid=''

say() { echo "smoke32: $*"; }
pass() { passed=$((passed + 1)); say "ok   $1"; }
fail() { failed=$((failed + 1)); say "FAIL $1"; }

# Seconds left of the whole budget, at least 1 so that timeout(1) still runs its command.
left() {
    local n=$((SMOKE_DEADLINE - SECONDS))
    [ "$n" -lt 1 ] && n=1
    echo "$n"
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi
}

cleanup() {
    stop_resident
    [ "${WINEPREFIX:-}" = "$SMOKE_PREFIX" ] && qm_stop_wine
    qm_stop_xvfb
}
trap cleanup EXIT

finish() {
    qm_record smoke32 "$passed" "$failed"
    say "$passed checks passed, $failed failed"
    if [ "$failed" -eq 0 ] && [ -n "$smoke_dir" ]; then
        rm -rf "$smoke_dir"
    elif [ -n "$smoke_dir" ]; then
        say "files of the failed run kept in $smoke_dir"
    fi
    exit $((failed > 0))
}

skip() {
    say "SKIPPED: $1"
    say "not run, so recorded as neither passed nor failed"
    qm_record smoke32 0 0
    exit 0
}

# A precondition that is not met fails the whole smoke test with its reason.
give_up() {
    fail "$1"
    finish
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

apt_log=$QM_BUILD/smoke32-apt.log

# Installs one package with apt, or fails the smoke test with apt's last lines.
apt_install() {
    export DEBIAN_FRONTEND=noninteractive
    say "installing $1"
    as_root apt-get update -q >>"$apt_log" 2>&1
    as_root apt-get install -y -q --no-install-recommends "$1" >>"$apt_log" 2>&1 ||
        { tail -n 20 "$apt_log"; give_up "$1 cannot be installed (log: $apt_log)"; }
}

install_wine32() {
    installed wine32:i386 && return 0
    dpkg --print-foreign-architectures | grep -qx i386 ||
        as_root dpkg --add-architecture i386 >>"$apt_log" 2>&1 ||
        give_up "the i386 architecture cannot be added to dpkg"
    apt_install wine32:i386
}

loader32_starts() { timeout 120 "$SMOKE_LOADER32" --version </dev/null >/dev/null 2>&1; }

# Hands 32-bit ELF files to qemu unless they run already: kernels with 32-bit support run
# them natively, which is about a hundred times faster than the emulation.
register_qemu() {
    local entry=$SMOKE_BINFMT/qemu-i386
    if loader32_starts; then
        if [ -e "$entry" ] && [ "$(head -n 1 "$entry")" = enabled ]; then
            say "32-bit ELF files run through qemu-i386"
        else
            say "32-bit ELF files run natively on this kernel"
        fi
        return 0
    fi
    installed qemu-user || apt_install qemu-user
    if [ ! -e "$entry" ]; then
        if [ ! -e "$SMOKE_BINFMT/register" ]; then
            as_root mount -t binfmt_misc binfmt_misc "$SMOKE_BINFMT" 2>/dev/null ||
                skip "binfmt_misc cannot be mounted at $SMOKE_BINFMT"
        fi
        # One write() of the literal text: printf's %s leaves the escapes to the kernel.
        as_root sh -c 'printf "%s" "$1" >"$2"' sh "$SMOKE_BINFMT_ENTRY" "$SMOKE_BINFMT/register" \
            2>/dev/null || skip "the qemu-i386 binfmt registration was refused"
        say "registered qemu-i386 for 32-bit ELF files"
    elif [ "$(head -n 1 "$entry")" = disabled ]; then
        as_root sh -c 'echo 1 >"$1"' sh "$entry" 2>/dev/null ||
            skip "the disabled qemu-i386 binfmt entry cannot be enabled"
    fi
    loader32_starts || give_up "the 32-bit Wine loader does not start even through qemu-i386"
}

wine_env32() {
    export WINEPREFIX=$SMOKE_PREFIX
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LC_ALL=ja_JP.UTF-8
    unset WINEARCH
}

# The prefix is made by the 64-bit wineboot, so it is a WoW64 prefix whose wineserver also
# serves the 64-bit test driver. A marker tells a finished initialisation from a broken one.
prepare_prefix() {
    local ready=$SMOKE_PREFIX/.quillmate-ready start=$SECONDS log=$QM_BUILD/smoke32-wineboot.log
    wine_env32
    if [ ! -f "$ready" ]; then
        rm -rf "$SMOKE_PREFIX"
        mkdir -p "$SMOKE_PREFIX"
        say "initialising the 32-bit Wine prefix (about 2 minutes when emulated)"
        "$QM_WINESERVER" -p >/dev/null 2>&1 </dev/null
        timeout "$(left)" "$QM_WINE64" wineboot -i >"$log" 2>&1 </dev/null ||
            give_up "wineboot -i of $SMOKE_PREFIX failed (log: $log)"
        touch "$ready"
        say "prefix ready in $((SECONDS - start)) s"
    else
        "$QM_WINESERVER" -p >/dev/null 2>&1 </dev/null
        timeout "$(left)" "$QM_WINE64" wineboot >/dev/null 2>&1 </dev/null
    fi
}

driver() {
    timeout "$(left)" "$QM_WINE64" "$SMOKE_DRIVER" "$@" </dev/null 2>>"$smoke_dir/driver.log"
}

# Polls until the file holds exactly the bytes of the printf format $2; at most $3 seconds.
wait_file_bytes() {
    local file=$1 expected=$2 end=$((SECONDS + $3))
    while [ "$SECONDS" -lt "$end" ] && [ "$SECONDS" -lt "$SMOKE_DEADLINE" ]; do
        [ -f "$file" ] && cmp -s "$file" <(printf "$expected") && return 0
        sleep 0.5
    done
    [ -f "$file" ] && cmp -s "$file" <(printf "$expected")
}

show_bytes() {
    if [ -f "$1" ]; then od -An -c "$1" | head -n 5; else echo "  (no file $1)"; fi
}

# A 2x2 24-bit BMP: on the X clipboard it reaches Windows as CF_DIB, not as text.
write_bmp() {
    {
        printf 'BM\x46\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00'
        printf '\x28\x00\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00\x01\x00\x18\x00'
        printf '\x00\x00\x00\x00\x10\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00'
        printf '\x00\x00\x00\x00\x00\x00\x00\x00'
        printf '\xff\x00\x00\xff\x00\x00\x00\x00\xff\x00\x00\xff\x00\x00\x00\x00'
    } >"$1"
}

wait_window() {
    local end=$((SECONDS + $1))
    while [ "$SECONDS" -lt "$end" ] && [ "$SECONDS" -lt "$SMOKE_DEADLINE" ]; do
        kill -0 "$resident_pid" 2>/dev/null || return 1
        driver wait-window 5000 && return 0
    done
    return 1
}

stop_resident() {
    [ -n "$resident_pid" ] || return 0
    kill -KILL "$resident_pid" 2>/dev/null
    wait "$resident_pid" 2>/dev/null
    resident_pid=
}

wait_exit() {
    local end=$((SECONDS + $1))
    while kill -0 "$resident_pid" 2>/dev/null; do
        [ "$SECONDS" -ge "$end" ] || [ "$SECONDS" -ge "$SMOKE_DEADLINE" ] && return 124
        sleep 0.5
    done
    wait "$resident_pid"
    local rc=$?
    resident_pid=
    return $rc
}

# Resident mode: records two copies oldest first, ends on 40001 with exit code 0, saves the .ini.
resident_scenario() {
    local hst=$smoke_dir/quillmate.hst ini=$smoke_dir/quillmate.ini start=$SECONDS rc
    write_bmp "$smoke_dir/empty.bmp"
    # xclip stays behind serving its copy until the Xvfb ends: its output must not hold ours open.
    xclip -selection clipboard -t image/bmp -i "$smoke_dir/empty.bmp" >/dev/null 2>&1
    (cd "$smoke_dir" && exec "$SMOKE_LOADER32" ./Quillmate.exe) \
        </dev/null >"$smoke_dir/resident.log" 2>&1 &
    resident_pid=$!
    if ! wait_window 240; then
        fail "the resident Quillmate.exe shows its window \"Quillmate\" ($((SECONDS - start)) s)"
        tail -n 20 "$smoke_dir/resident.log"
        stop_resident
        return
    fi
    pass "the resident Quillmate.exe shows its window \"Quillmate\" ($((SECONDS - start)) s)"

    local t=$SECONDS
    printf one | xclip -selection clipboard -i >/dev/null 2>&1
    # The second copy waits for the first one's record, else the X clipboard could change
    # twice before Wine looks at it.
    wait_file_bytes "$hst" 'one\0' 60 || say "no record of \"one\" after $((SECONDS - t)) s"
    printf two | xclip -selection clipboard -i >/dev/null 2>&1
    if wait_file_bytes "$hst" 'one\0two\0' 60; then
        pass "the .hst file holds one\\0two\\0 ($((SECONDS - t)) s after the first copy)"
    else
        fail "the .hst file holds one\\0two\\0; it holds:"
        show_bytes "$hst"
    fi

    t=$SECONDS
    driver post-command 40001
    rc=$?
    if [ "$rc" -ne 0 ]; then
        say "the driver could not post 40001 (exit code $rc); once more in a second"
        sleep 1
        driver post-command 40001
        rc=$?
    fi
    if [ "$rc" -eq 0 ]; then
        say "posted WM_COMMAND 40001 through the 64-bit driver"
    else
        fail "the 64-bit driver posts 40001 to the 32-bit window (driver exit code $rc)"
        stop_resident
        return
    fi
    wait_exit 120
    rc=$?
    stop_resident
    if [ "$rc" -eq 0 ]; then
        pass "40001 ends the process with exit code 0 ($((SECONDS - t)) s)"
    else
        fail "40001 ends the process with exit code 0 (exit code $rc after $((SECONDS - t)) s)"
        tail -n 20 "$smoke_dir/resident.log"
    fi
    local count
    count=$(printf '履歴の記憶数=30' | iconv -f UTF-8 -t CP932)
    if [ -f "$ini" ] && LC_ALL=C grep -aqF "$count" "$ini"; then
        pass "quillmate.ini holds 履歴の記憶数=30 in CP932"
    else
        fail "quillmate.ini holds 履歴の記憶数=30 in CP932"
        show_bytes "$ini"
    fi
}

lower_ascii() { LC_ALL=C tr 'A-Z' 'a-z'; }

# Path-copy mode: one existing file whose name has a blank (so the argument is quoted) and
# ends in 表, whose second byte in CP932 is the backslash code, right before the closing quote.
path_copy_scenario() {
    local file="$smoke_dir/報告 表" start=$SECONDS rc got expected
    printf 'x' >"$file"
    local windows_path="Z:${file//\//\\}"
    (cd "$smoke_dir" && timeout "$(left)" "$SMOKE_LOADER32" ./Quillmate.exe "$windows_path") \
        </dev/null >"$smoke_dir/pathcopy.log" 2>&1
    rc=$?
    if [ "$rc" -eq 0 ]; then
        pass "the path-copy mode ends with exit code 0 ($((SECONDS - start)) s)"
    else
        fail "the path-copy mode ends with exit code 0 (exit code $rc after $((SECONDS - start)) s)"
        tail -n 20 "$smoke_dir/pathcopy.log"
    fi
    # Windows paths ignore the case of ASCII letters, so the shell's spelling of them is free.
    expected=$(printf '"%s"' "$windows_path" | lower_ascii)
    local end=$((SECONDS + 20))
    while :; do
        # A read that meets a change of owner may go unanswered: give up on it and ask again.
        got=$(timeout 3 xclip -o -selection clipboard 2>/dev/null)
        [ "$(printf '%s' "$got" | lower_ascii)" = "$expected" ] && break
        [ "$SECONDS" -ge "$end" ] && break
        sleep 0.5
    done
    if [ "$(printf '%s' "$got" | lower_ascii)" = "$expected" ]; then
        pass "the clipboard holds the quoted full path $got"
    else
        fail "the clipboard holds the quoted full path \"$windows_path\"; it holds: $got"
    fi
}

main() {
    local setup_start=$SECONDS
    [ -f "$SMOKE_EXE" ] || give_up "missing $SMOKE_EXE (build the win32 tree first)"
    file -b "$SMOKE_EXE" | grep -q '^PE32 ' || give_up "$SMOKE_EXE is not a PE32 executable"
    [ -f "$SMOKE_DRIVER" ] || give_up "missing $SMOKE_DRIVER (build the win64 tree first)"
    : >"$apt_log"
    install_wine32
    register_qemu
    qm_start_xvfb || give_up "Xvfb does not start"
    prepare_prefix
    say "set-up took $((SECONDS - setup_start)) s"

    smoke_dir=$(mktemp -d "$QM_BUILD/smoke32-XXXXXX")
    cp "$SMOKE_EXE" "$smoke_dir/Quillmate.exe"
    local start=$SECONDS
    resident_scenario
    path_copy_scenario
    say "scenario ran $((SECONDS - start)) s"
    [ "$SECONDS" -ge "$SMOKE_DEADLINE" ] && fail "the smoke test stays within its 10 minutes"
    finish
}

main
