#!/usr/bin/env bash
# Files the program cannot view, given on the command line: each gives its message, and after
# OK the program ends with 0, at once and without writing the settings file. None may hang it,
# and the sizes that do not fit the 32-bit length are refused before any allocation or read.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/bad_input_steps.sh"
e2e_setup
w=$E2E_WORK

: >"$w/empty.dat"
bad_expect_refusal e2e_start "$w/empty.dat" "File Read Error"

bad_expect_refusal e2e_start "$w/missing.dat" "File Error"

mkdir "$w/folder"
bad_expect_refusal e2e_start "$w/folder" "File Error"

# A FIFO has no size to rely on and reading it could wait for ever: refused like a missing
# file. Nothing ever writes to it; a hang fails the wait for the box.
mkfifo "$w/pipe"
bad_expect_refusal e2e_start "$w/pipe" "File Error"
# A device that never ends is refused the same way.
bad_expect_refusal e2e_start /dev/zero "File Error"

# Sparse files of 2^31 - 16 bytes (the first size whose block of size + 16 does not fit the
# 32-bit length) and of 5 GiB (whose low 32 bits would pass as 1 GiB). Under the sanitizer an
# allocation above 1 GiB aborts the program, and the bytes the process read are checked while
# the box is up: neither an allocation nor a read may have been tried.
truncate -s $(((1 << 31) - 16)) "$w/two_gib.dat"
truncate -s $((5 << 30)) "$w/five_gib.dat"
refuse_big() {
    local file=$1
    rm -f "$w/pv2.ini"
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:max_allocation_size_mb=1024:allocator_may_return_null=0" \
        e2e_start "$file"
    e2e_find_window "Memory" >/dev/null
    local read_bytes
    read_bytes=$(awk '/^rchar:/ {print $2}' "/proc/$E2E_PID/io")
    [ "$read_bytes" -lt $((256 << 20)) ] ||
        e2e_fail "$read_bytes bytes were read before refusing $file"
    bad_ack_message "Memory"
    [ "$(e2e_wait_exit)" = 0 ] || e2e_fail "exit code after refusing $file"
    [ ! -e "$w/pv2.ini" ] || e2e_fail "the settings file was written after refusing $file"
    e2e_log "refused $file ($(stat -c %s "$file") bytes) after reading $read_bytes bytes: ok"
}
refuse_big "$w/two_gib.dat"
refuse_big "$w/five_gib.dat"

# No read permission. Root reads any file, so this case runs as the unprivileged "nobody".
if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 && [ "$(id -u)" = 0 ]; then
    printf 'secret' >"$w/locked.dat"
    chmod 000 "$w/locked.dat"
    bad_expect_refusal bad_start_as_nobody "$w/locked.dat" "File Error"
elif [ "$(id -u)" != 0 ]; then
    printf 'secret' >"$w/locked.dat"
    chmod 000 "$w/locked.dat"
    bad_expect_refusal e2e_start "$w/locked.dat" "File Error"
else
    e2e_log "SKIPPED the unreadable-file case: running as root without setpriv or a 'nobody' user"
fi
e2e_log "passed"
