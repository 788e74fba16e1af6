#!/usr/bin/env bash
# Hostile settings files: the program starts (the readable options taking effect, anything
# unreadable at its start value), quits normally, and at exit replaces the file only where it
# may: a read-only file, a folder or a FIFO under the settings name stays exactly as it was.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/bad_input_steps.sh"
e2e_setup
w=$E2E_WORK
ini=$w/pv2.ini
printf '\x5a\x81\x00\xff' >"$w/data.dat"

# Starts on data.dat, waits for the title with the expected zoom, checks that no correction
# box came up, and quits through the menu.
run_and_quit() {
    local runner=$1 zoom=$2
    "$runner" "$w/data.dat"
    local wid
    wid=$(e2e_wait_window)
    e2e_wait_title "$wid" "Pixelsieve 2c,x$zoom"
    e2e_no_window "Wrong settings" || e2e_fail "a 'Wrong settings' box came up"
    bad_quit "$wid"
}

expect_default_file() {
    [ "$(od -An -c "$ini")" = "$(bad_default_settings | od -An -c)" ] ||
        e2e_fail "$1: pv2.ini at exit is: $(od -An -c "$ini" | head -c 400)"
}

# Binary garbage: no line of it reads as a known key, so every option keeps its start value.
python3 -c 'import random, sys; sys.stdout.buffer.write(random.Random(8).randbytes(65536))' >"$ini"
run_and_quit e2e_start 1
expect_default_file "binary garbage"
e2e_log "binary garbage: started with the defaults, rewritten at exit: ok"

# One line of 10 MB before the zoom: the store reads past it.
python3 -c 'import sys; sys.stdout.buffer.write(b"[Options]\r\n" + b"k" * (10 << 20) + b" = 1\r\nzoom = 2\r\n")' >"$ini"
start=$SECONDS
run_and_quit e2e_start 2
[ "$(sed -n 2p "$ini" | tr -d '\r')" = "Zoom = 2" ] || e2e_fail "10 MB line: Zoom = 2 was not written back"
[ "$(stat -c %s "$ini")" -lt 200 ] || e2e_fail "10 MB line: the old content survived the rewrite"
e2e_log "one 10 MB line: zoom 2 read past it, file rewritten, $((SECONDS - start)) s in all: ok"

# Only the UTF-8 mark: an empty store; the file written at exit never starts with the mark.
printf '\xef\xbb\xbf' >"$ini"
run_and_quit e2e_start 1
expect_default_file "only a UTF-8 mark"
e2e_log "only a UTF-8 mark: defaults, rewritten without the mark: ok"

# A folder under the settings name: read as no file, never written, still a folder.
rm -f "$ini"
mkdir "$ini"
run_and_quit e2e_start 1
[ -d "$ini" ] && [ -z "$(ls -A "$ini")" ] || e2e_fail "the folder pv2.ini was changed"
rmdir "$ini"
e2e_log "pv2.ini a folder: defaults, left as it was: ok"

# A FIFO under the settings name: neither reading at start nor writing at exit may wait on it.
mkfifo "$ini"
run_and_quit e2e_start 1
[ -p "$ini" ] || e2e_fail "the FIFO pv2.ini was replaced"
rm -f "$ini"
e2e_log "pv2.ini a FIFO: no hang at start or exit, left as it was: ok"

# A read-only file is read but never rewritten, not even by replacing it in its writable folder.
# Root may write any file, so this case runs as the unprivileged "nobody".
if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 && [ "$(id -u)" = 0 ]; then
    printf '; kept as it is\r\n[Options]\r\nzoom = 4\r\nGrid = 7\r\n' >"$ini"
    before=$(od -An -c "$ini")
    chown nobody "$ini"
    chmod 444 "$ini"
    inode=$(stat -c %i "$ini")
    run_and_quit bad_start_as_nobody 4
    [ "$(od -An -c "$ini")" = "$before" ] || e2e_fail "the read-only pv2.ini was rewritten"
    [ "$(stat -c %i "$ini")" = "$inode" ] || e2e_fail "the read-only pv2.ini was replaced by a new file"
    [ "$(ls -A "$w")" = "$(printf 'data.dat\npv2.ini')" ] || e2e_fail "files left in the folder: $(ls -A "$w")"
    e2e_log "read-only pv2.ini: zoom 4 read, file untouched at exit: ok"
else
    e2e_log "SKIPPED the read-only case: it needs root with setpriv and a 'nobody' user"
fi
e2e_log "passed"
