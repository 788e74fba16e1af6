#!/usr/bin/env bash
# The picture finder in the real window, on a real font inside real machine code: Ctrl+W sets
# the font's width and shows its rank in the title, a further press steps on; Ctrl+N lands the
# view exactly on the font (the canvas compared pixel by pixel with the font's bits), Ctrl+N with
# nothing ahead gives the message and changes nothing, and Ctrl+Shift+N from inside the font goes
# back to its first byte.
source "$(dirname "$0")/lib.sh"
here="$(dirname "$0")"
check="$here/canvas_check.py"
e2e_setup

data="$E2E_WORK/fonts.bin"
python3 "$here/fonts_in_code.py" "$data" >"$E2E_TMP/fonts.txt" || e2e_fail "could not build the test file"
read -r font_start font_width _ <"$E2E_TMP/fonts.txt"
e2e_log "font at $font_start, width $font_width"
first_byte=$(python3 -c "import sys; print(open(sys.argv[1], 'rb').read()[0])" "$data")

e2e_start fonts.bin
wid=$(e2e_wait_window)
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
e2e_focus "$wid"

shot="$E2E_TMP/shot.rgb"
read -r cx cy < <(e2e_wait_canvas "$shot" "$wid" "$first_byte")
e2e_log "canvas at $cx,$cy"

# The canvas shows the file from byte OFFSET at WIDTH, zoom 1.
canvas_shows() {
    local offset=$1 width=$2
    tail -c +"$((offset + 1))" "$data" >"$E2E_TMP/from.bin"
    e2e_screenshot_rgb "$shot"
    python3 "$check" "$shot" "$cx" "$cy" "$E2E_TMP/from.bin" "$width" 1 2>"$E2E_TMP/check.log"
}
title_matches() { [[ "$(e2e_title "$wid")" =~ $1 ]]; }
not() { ! "$@"; }

# Suggest width at the start of the file: the first 64 KiB hold code and the font.
e2e_key ctrl+w
e2e_poll 20 title_matches "^Pixelsieve 2c,x1 — width $font_width \(1/[0-9]+\)$" ||
    e2e_fail "after Ctrl+W the title is '$(e2e_title "$wid")'"
e2e_poll 10 canvas_shows 0 "$font_width" || e2e_fail "Ctrl+W: $(cat "$E2E_TMP/check.log")"
e2e_key ctrl+w
e2e_poll 20 title_matches "^Pixelsieve 2c,x1 — width [0-9]+ \(2/[0-9]+\)$" ||
    e2e_fail "after a second Ctrl+W the title is '$(e2e_title "$wid")'"

# Next picture from the start: the font's first byte at the top left; the rank leaves the title.
e2e_key ctrl+n
e2e_poll 60 canvas_shows "$font_start" "$font_width" || e2e_fail "Ctrl+N: $(cat "$E2E_TMP/check.log")"
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
# The scan's progress dialog may have come and gone; without a window manager nobody gives the
# focus back.
e2e_focus "$wid"

# Nothing ahead: the message, and the view stays where it was.
e2e_key ctrl+n
box=$(e2e_find_window "Next picture")
e2e_focus "$box"
e2e_key Return
e2e_poll 20 e2e_no_window "Next picture" || e2e_fail "the message box did not close"
e2e_focus "$wid"
canvas_shows "$font_start" "$font_width" || e2e_fail "after the message: $(cat "$E2E_TMP/check.log")"

# A few rows into the font, Previous picture goes back to its first byte.
e2e_hold_key Down 0.5
e2e_poll 10 not canvas_shows "$font_start" "$font_width" || e2e_fail "holding Down did not move the view"
e2e_key ctrl+shift+n
e2e_poll 20 canvas_shows "$font_start" "$font_width" || e2e_fail "Ctrl+Shift+N: $(cat "$E2E_TMP/check.log")"

e2e_key Escape
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code after Escape"
echo "PASS"
