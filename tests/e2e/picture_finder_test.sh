#!/usr/bin/env bash
# The picture finder in the real window, on real fonts inside real machine code: Ctrl+W sets the
# width of the font at the start and shows its rank in the title, further presses step on;
# Ctrl+N lands the view exactly on each font in turn (the canvas compared pixel by pixel with
# the font's bits), Ctrl+N past the last one gives the message and changes nothing, and
# Ctrl+Shift+N goes back.
source "$(dirname "$0")/lib.sh"
here="$(dirname "$0")"
check="$here/canvas_check.py"
e2e_setup

data="$E2E_WORK/fonts.bin"
python3 "$here/fonts_in_code.py" "$data" >"$E2E_TMP/fonts.txt" || e2e_fail "could not build the test file"
read -r wide_start wide_width _ < <(sed -n 1p "$E2E_TMP/fonts.txt")
read -r narrow_start narrow_width _ < <(sed -n 2p "$E2E_TMP/fonts.txt")
e2e_log "wide font at $wide_start (width $wide_width), narrow font at $narrow_start (width $narrow_width)"
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

# Suggest width at the start of the file: the first 64 KiB hold code and the wide font.
e2e_key ctrl+w
e2e_poll 20 title_matches "^Pixelsieve 2c,x1 — width $wide_width \(1/[0-9]+\)$" ||
    e2e_fail "after Ctrl+W the title is '$(e2e_title "$wid")'"
e2e_poll 10 canvas_shows 0 "$wide_width" || e2e_fail "Ctrl+W: $(cat "$E2E_TMP/check.log")"
e2e_key ctrl+w
e2e_poll 20 title_matches "^Pixelsieve 2c,x1 — width [0-9]+ \(2/[0-9]+\)$" ||
    e2e_fail "after a second Ctrl+W the title is '$(e2e_title "$wid")'"

# Next picture from the start: the wide font, then the narrow one; the rank leaves the title.
e2e_key ctrl+n
e2e_poll 60 canvas_shows "$wide_start" "$wide_width" || e2e_fail "first Ctrl+N: $(cat "$E2E_TMP/check.log")"
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
e2e_key ctrl+n
e2e_poll 20 canvas_shows "$narrow_start" "$narrow_width" ||
    e2e_fail "second Ctrl+N: $(cat "$E2E_TMP/check.log")"

# Nothing ahead: the message, and the view stays where it was.
e2e_key ctrl+n
box=$(e2e_find_window "Next picture")
e2e_focus "$box"
e2e_key Return
e2e_poll 20 e2e_no_window "Next picture" || e2e_fail "the message box did not close"
canvas_shows "$narrow_start" "$narrow_width" || e2e_fail "after the message: $(cat "$E2E_TMP/check.log")"

e2e_focus "$wid"
e2e_key ctrl+shift+n
e2e_poll 20 canvas_shows "$wide_start" "$wide_width" || e2e_fail "Ctrl+Shift+N: $(cat "$E2E_TMP/check.log")"

e2e_key Escape
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code after Escape"
echo "PASS"
