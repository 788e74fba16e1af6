#!/usr/bin/env bash
# Saving where it cannot succeed: a folder that does not exist is refused by the save dialog
# itself; a PNG that fails part-way (file-size limit, as on a full disk) and a BMP or slice in
# a folder without write permission each give their message and leave no file behind. The
# program runs as the unprivileged "nobody" (when started as root, whose writes permissions
# would not stop) and goes on after every failure.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/save_steps.sh"
source "$here/bad_input_steps.sh"
e2e_setup
w=$E2E_WORK

# Noise over the whole view (multi columns), so the PNG is far larger than the limit.
python3 -c 'import random, sys; sys.stdout.buffer.write(random.Random(3).randbytes(40000))' >"$w/noise.dat"
printf '[Options]\r\nMulti = 1\r\n' >"$w/pv2.ini"
mkdir "$w/out" "$w/locked"
bad_start_limited 8 noise.dat
if [ "$(id -u)" = 0 ]; then chown root "$w/locked"; chmod 755 "$w/locked"; else chmod 555 "$w/locked"; fi
wid=$(e2e_wait_window)

# PNG into a folder that does not exist: the dialog warns and stays open. The name is then
# corrected to one in an existing folder, where the file-size limit stops the PNG writer.
e2e_menu_pick "$wid" File "Save image..."
did=$(e2e_find_window "$SAVE_DIALOG")
e2e_focus "$did"
xdotool key ctrl+a
xdotool type --delay 20 -- "$w/missing/view"
xdotool key Return
two_windows() { [ "$(bad_count_windows "$SAVE_DIALOG")" = 2 ]; }
e2e_poll "$E2E_TIMEOUT" two_windows || e2e_fail "no warning for a folder that does not exist"
xdotool key Return
one_window() { [ "$(bad_count_windows "$SAVE_DIALOG")" = 1 ]; }
e2e_poll "$E2E_TIMEOUT" one_window || e2e_fail "the warning did not close"
[ ! -e "$w/missing" ] || e2e_fail "the missing folder was created"
e2e_log "missing folder: refused by the save dialog: ok"
e2e_focus "$did"
xdotool key ctrl+a
xdotool type --delay 20 -- "$w/out/limited"
xdotool key Return
save_wait_closed "$SAVE_DIALOG"
bad_ack_message "Save Image Error"
[ -z "$(ls -A "$w/out")" ] || e2e_fail "a partial file was left: $(ls -l "$w/out")"
e2e_log "PNG stopped by the file-size limit: message, no file: ok"

# BMP into a folder the program may not write.
e2e_menu_pick "$wid" File "Save image..."
save_answer "$SAVE_DIALOG" "$w/locked/view" B
bad_ack_message "Save Image Error"
[ -z "$(ls -A "$w/locked")" ] || e2e_fail "files in the locked folder: $(ls -A "$w/locked")"
e2e_log "BMP into a folder without write permission: message, no file: ok"

# A slice into the same folder.
e2e_menu_pick "$wid" File "Save binary..."
save_answer "size" '$10'
save_answer "$SAVE_DIALOG" "$w/locked/cut"
bad_ack_message "Save binary file"
[ -z "$(ls -A "$w/locked")" ] || e2e_fail "files in the locked folder: $(ls -A "$w/locked")"
e2e_log "slice into a folder without write permission: message, no file: ok"

kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "the program ended after the failed saves"
bad_quit "$wid"
e2e_log "passed"
