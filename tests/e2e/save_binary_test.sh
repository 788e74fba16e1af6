#!/usr/bin/env bash
# "Save binary..." through the real menu, size prompt and save dialog, with inverse and reverse
# switched on by their shortcuts: the size typed straight into the prompt replaces its default
# text, and the saved bytes are compared with the file's; a size past the
# end gives "Too big value!" and no save dialog; a write that fails part-way (file-size limit,
# as on a full disk) gives the message and leaves no file.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/save_steps.sh"
e2e_setup

# 20000 bytes starting 0x01 (inverted and reversed: 0x7F). The program runs under an 8 KiB
# file-size limit throughout: small slices fit, the whole file does not.
python3 -c 'import sys; sys.stdout.buffer.write(bytes([1]) + bytes((i * 37 + 11) & 0xFF for i in range(1, 20000)))' \
    >"$E2E_WORK/sprites.dat"
out="$E2E_TMP/out"
mkdir -p "$out"

e2e_start_limited 8 sprites.dat
wid=$(e2e_wait_window)
e2e_focus "$wid"
e2e_key ctrl+i
e2e_key ctrl+r

# 32 bytes ("$20") from the first byte shown, typed as the prompt opens.
e2e_menu_pick "$wid" File "Save binary..."
save_type_as_opened "size" '$20'
save_answer "$SAVE_DIALOG" "$out/cut"
save_wait_file "$out/cut.bin"
want=$(python3 -c '
import sys
data = open(sys.argv[1], "rb").read()[:32]
print("".join("%02x" % int(format(b ^ 0xFF, "08b")[::-1], 2) for b in data))' "$E2E_WORK/sprites.dat")
[ "${want:0:2}" = 7f ] || e2e_fail "the expected bytes are wrong: $want"
got=$(save_hex "$out/cut.bin")
[ "$got" = "$want" ] || e2e_fail "cut.bin holds $got, expected $want"

# One byte past the end: refused before any save dialog.
e2e_menu_pick "$wid" File "Save binary..."
save_answer "size" 20001
save_ack_message "Save binary file"
e2e_settle "$wid"
e2e_no_window "$SAVE_DIALOG" || e2e_fail "a save dialog followed \"Too big value!\""

# The whole file does not fit under the limit: message, and no partial file.
e2e_menu_pick "$wid" File "Save binary..."
save_answer "size" 20000
save_answer "$SAVE_DIALOG" "$out/whole"
save_ack_message "Save binary file"
[ ! -e "$out/whole.bin" ] || e2e_fail "a partial whole.bin of $(stat -c %s "$out/whole.bin") bytes was left"
[ "$(ls "$out")" = cut.bin ] || e2e_fail "unexpected files: $(ls "$out")"

# The program goes on as before, and ends cleanly (the sanitizers report leaks at exit).
kill -0 "$E2E_PID" || e2e_fail "the program ended"
e2e_menu_pick "$wid" File Quit
rc=$(e2e_wait_exit)
[ "$rc" = 0 ] || e2e_fail "Quit ended the program with $rc"
e2e_log "passed"
