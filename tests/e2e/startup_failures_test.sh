#!/usr/bin/env bash
# Start-up failures seen from outside: a bad stored zoom gives the "Wrong settings" box and is
# stored corrected; a file that cannot be opened gives the "File Error" box and ends the program
# without touching the settings file. (The boxes' texts are checked by the headless tests;
# from outside only their titles can be read.)
source "$(dirname "$0")/lib.sh"
e2e_setup

data="$E2E_WORK/some bits.bin"
head -c 100000 /dev/urandom >"$data"

# A bad zoom: the box, then the program runs at zoom 1 and stores Zoom = 1 at exit.
printf '[Options]\r\nzoom = 3\r\n' >"$E2E_WORK/pv2.ini"
e2e_start "$data"
box=$(e2e_find_window "Wrong settings")
e2e_focus "$box"
xdotool key Return
wid=$(e2e_wait_window)
e2e_wait_title "$wid" "Pixelsieve 2c,x1"   # the file, a path with a space, was loaded
e2e_focus "$wid"
e2e_key Escape
[ "$(e2e_wait_exit)" = 0 ] || e2e_fail "exit code not 0"
grep -q $'^Zoom = 1\r$' "$E2E_WORK/pv2.ini" || e2e_fail "pv2.ini holds: $(cat -A "$E2E_WORK/pv2.ini")"

# A missing file: the message, then the end, with the settings file left as it was.
printf '[Options]\r\nZoom = 4\r\n; kept\r\n' >"$E2E_WORK/pv2.ini"
cp "$E2E_WORK/pv2.ini" "$E2E_TMP/pv2.before"
e2e_start "$E2E_WORK/no such file.bin"
box=$(e2e_find_window "File Error")
e2e_focus "$box"
xdotool key Return
[ "$(e2e_wait_exit)" = 0 ] || e2e_fail "exit code not 0 after the failed load"
cmp -s "$E2E_WORK/pv2.ini" "$E2E_TMP/pv2.before" || e2e_fail "the settings file was changed"
echo "PASS"
