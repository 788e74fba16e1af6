#!/usr/bin/env bash
# The real window with a file from the command line: title, the canvas's bits at zoom 1 and 2,
# inverse, a width change by a held arrow key, the grid's colours, and the settings file written
# when Escape ends the program.
source "$(dirname "$0")/lib.sh"
check="$(dirname "$0")/canvas_check.py"
e2e_setup

data="$E2E_WORK/bits.bin"
python3 -c "
import random, sys
r = random.Random(5)
data = bytearray(r.getrandbits(8) for _ in range(300000))
data[0] = 0xA5   # the first byte marks the canvas's top-left corner
open(sys.argv[1], 'wb').write(data)" "$data"

e2e_start bits.bin
wid=$(e2e_wait_window)
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
e2e_focus "$wid"

shot="$E2E_TMP/shot.rgb"
canvas_matches() {
    e2e_screenshot_rgb "$shot"
    python3 "$check" "$shot" "$cx" "$cy" "$data" "$@" 2>"$E2E_TMP/check.log"
}
read -r cx cy < <(e2e_wait_canvas "$shot" "$wid" 0xA5)
e2e_log "canvas at $cx,$cy"

e2e_poll 10 canvas_matches 1 1 || e2e_fail "zoom 1: $(cat "$E2E_TMP/check.log")"

e2e_key ctrl+2
e2e_wait_title "$wid" "Pixelsieve 2c,x2"
e2e_poll 10 canvas_matches 1 2 || e2e_fail "zoom 2: $(cat "$E2E_TMP/check.log")"

e2e_key ctrl+i
e2e_poll 10 canvas_matches 1 2 inverse || e2e_fail "inverse: $(cat "$E2E_TMP/check.log")"

# Holding Right widens the rows by one per auto-repeat: some width above 1 must now show, and
# the picture must be exactly that width's.
e2e_hold_key Right 1
e2e_settle "$wid"
wider_than_one() {
    e2e_screenshot_rgb "$shot"
    width=$(python3 "$check" --find-width "$shot" "$cx" "$cy" "$data" 2 inverse) && [ "$width" -gt 1 ]
}
e2e_poll 10 wider_than_one || e2e_fail "after holding Right the canvas shows width '${width:-none}'"
e2e_log "width after holding Right: $width"

e2e_key ctrl+g
e2e_poll 10 canvas_matches "$width" 2 inverse grid || e2e_fail "grid: $(cat "$E2E_TMP/check.log")"

e2e_key Escape
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code after Escape"

ini="$E2E_WORK/pv2.ini"
[ -f "$ini" ] || e2e_fail "pv2.ini was not written"
expected=$(printf '[Options]\r\nZoom = 2\r\nMulti = 0\r\nGrid = 1\r\nInverse = 1\r\nReverse = 0\r\nmaxwidth = 255\r\nontop = 0\r\n' | od -c)
[ "$(od -c <"$ini")" = "$expected" ] || e2e_fail "pv2.ini holds: $(od -c <"$ini")"
[ "$(grep -c $'\r$' "$ini")" = 8 ] || e2e_fail "pv2.ini has not eight CR LF lines"
echo "PASS"
