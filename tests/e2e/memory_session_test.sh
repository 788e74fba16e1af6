#!/usr/bin/env bash
# A whole session under the leak checker: start with a file, change every option (each
# shortcut, the check boxes that have none, the fine offset, the arrow keys, the wheel, the
# preview under the pointer and "jump here"), load a second file through the open dialog,
# export the view, save a slice, quit. The sanitizer build checks for leaks at exit and makes
# the exit code non-zero if it finds one, so a clean run ends with 0.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/save_steps.sh"
e2e_setup
w=$E2E_WORK
python3 -c 'import random, sys; sys.stdout.buffer.write(bytes([0x5A]) + random.Random(1).randbytes(50000))' >"$w/first.dat"
python3 -c 'import random, sys; sys.stdout.buffer.write(bytes([0x3C]) + random.Random(2).randbytes(70000))' >"$w/second.dat"

e2e_start first.dat
wid=$(e2e_wait_window)
e2e_focus "$wid"
read -r cx cy < <(e2e_wait_canvas "$E2E_TMP/start.rgb" "$wid" 0x5A) || e2e_fail "the first file was not drawn"

for keys in ctrl+2 ctrl+4 ctrl+8 ctrl+1 ctrl+g ctrl+i ctrl+m ctrl+r ctrl+t ctrl+z; do
    e2e_key "$keys"
done
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
# Nibble swap and the fine offset have no shortcut: the check box is clicked, and the spin
# field, once clicked into, stepped up with its arrow key.
read -r x y < <(e2e_control_centre "$cx" "$cy" "check box" "nibble swap")
xdotool mousemove "$x" "$y" click 1
read -r x y < <(e2e_control_centre "$cx" "$cy" "spin field")
xdotool mousemove "$x" "$y" click 1
e2e_settle "$wid"
e2e_send_key "$wid" Up
e2e_focus "$wid"
e2e_hold_key Right 0.4
e2e_hold_key Down 0.3
# The preview follows the pointer; the wheel scrolls; a right click offers "jump here".
for x in 50 150 250 350; do
    xdotool mousemove "$((cx + x))" "$((cy + 200))"
    sleep 0.1 # apart, so that each move is a redraw of its own
done
xdotool click 5 click 5 click 4
e2e_popup_pick "$wid" "$((cx + 350))" "$((cy + 200))" "jump here"
e2e_settle "$wid"

# The second file through the open dialog.
e2e_focus "$wid"
e2e_key ctrl+o
save_answer "Please choose file to load" "$w/second.dat"
e2e_settle "$wid"

e2e_menu_pick "$wid" File "Save image..."
save_answer "$SAVE_DIALOG" "$w/view"
save_wait_file "$w/view.png"
e2e_menu_pick "$wid" File "Save binary..."
save_answer "size" '$100'
save_answer "$SAVE_DIALOG" "$w/slice"
save_wait_file "$w/slice.bin"
[ "$(stat -c %s "$w/slice.bin")" = 256 ] || e2e_fail "the slice is $(stat -c %s "$w/slice.bin") bytes, not 256"
# Inverse and reverse are on: the slice is a run of the second file's bytes, each inverted
# and bit-reversed, which shows the second file really replaced the first.
python3 - "$w/slice.bin" "$w/second.dat" "$w/first.dat" <<'PY' || e2e_fail "the slice is not cut from the second file"
import sys
slice_, second, first = (open(p, "rb").read() for p in sys.argv[1:4])
turn = bytes(int(format(b ^ 0xFF, "08b")[::-1], 2) for b in range(256))
sys.exit(0 if slice_.translate(bytes(turn.index(b) for b in range(256))) in second
         and slice_.translate(bytes(turn.index(b) for b in range(256))) not in first else 1)
PY

e2e_menu_pick "$wid" File Quit
rc=$(e2e_wait_exit 120)
grep -q "LeakSanitizer" "$E2E_TMP/app.log" && e2e_fail "leaks reported"
[ "$rc" = 0 ] || e2e_fail "the session ended with $rc"
grep -q '^Zoom = 1' "$w/pv2.ini" || e2e_fail "pv2.ini was not written at the end: $(cat "$w/pv2.ini")"
e2e_log "passed"
