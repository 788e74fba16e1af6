#!/usr/bin/env bash
# The Pictures window on a real font inside real machine code: Ctrl+P opens it, the list fills
# with the font's row (best first, selected), Enter puts the main view exactly on the font (the
# canvas compared pixel by pixel), a click on the map shows that place of the file at the same
# width, a click on the row goes back to the font; Escape held in the window closes only the
# window while the main window keeps getting events, and pv2.ini is written as without it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shell_steps.sh"
here="$(dirname "$0")"
e2e_setup
SHELL_SHOT="$E2E_TMP/shot.rgb"

data="$E2E_WORK/fonts.bin"
python3 "$here/fonts_in_code.py" "$data" >"$E2E_TMP/fonts.txt" || e2e_fail "could not build the test file"
read -r font_start font_width _ <"$E2E_TMP/fonts.txt"
first_byte=$(od -An -tu1 -N1 "$data" | tr -d ' ')

e2e_start fonts.bin
wid=$(e2e_wait_window)
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
xdotool windowmove "$wid" 0 0 # room at its right for the Pictures window
e2e_focus "$wid"
read -r cx cy < <(e2e_wait_canvas "$SHELL_SHOT" "$wid" "$first_byte")

canvas_shows() {
    tail -c +"$(($1 + 1))" "$data" >"$E2E_TMP/from.bin"
    e2e_screenshot_rgb "$SHELL_SHOT"
    python3 "$SHELL_CHECK" "$SHELL_SHOT" "$cx" "$cy" "$E2E_TMP/from.bin" "$2" 1 2>"$E2E_TMP/check.log"
}
first_row() { e2e_layout rows "picture list" | head -n1; }
font_listed() {
    e2e_fresh_dump
    [[ "$(first_row)" =~ ^$font_start$'\t'$font_width$'\t'[0-9]+$'\t'"font 16x32 × "[0-9]+$'\t'[01]\.[0-9]+$ ]]
}
status_starts() { [[ "$(e2e_status_text)" == "$1"* ]]; }

e2e_key ctrl+p
pictures=$(e2e_find_window "Pictures")
e2e_poll 60 font_listed || e2e_fail "the first row is '$(first_row)'"
read -r ox oy < <(e2e_window_origin "$pictures")

# The best row is selected and has the keyboard: Enter goes there.
e2e_focus "$pictures"
e2e_key Return
e2e_poll 20 canvas_shows "$font_start" "$font_width" || e2e_fail "Enter: $(cat "$E2E_TMP/check.log")"

# The map's third pixel row starts at byte ceil(2 x size / rows); the width stays.
read -r mx my mw mh < <(e2e_layout control canvas "file map")
target=$(((2 * $(stat -c %s "$data") + mh - 1) / mh))
xdotool mousemove "$((ox + mx + mw / 2))" "$((oy + my + 2))" click 1
e2e_poll 20 status_starts "Disp:$target,w:$font_width," || e2e_fail "map click: $(e2e_status_text)"

# A click on the font's row (the first, below the headings) goes back to the font.
read -r lx ly lw _ < <(e2e_layout control "picture list")
xdotool mousemove "$((ox + lx + lw / 2))" "$((oy + ly + 50))" click 1
e2e_poll 20 canvas_shows "$font_start" "$font_width" || e2e_fail "row click: $(cat "$E2E_TMP/check.log")"

e2e_focus "$pictures"
xdotool keydown Escape
shell_still_running 1 "Escape held in the Pictures window"
xdotool keyup Escape
e2e_poll 20 e2e_no_window "Pictures" || e2e_fail "Escape did not close the Pictures window"
shell_still_running 1 "Escape released"

e2e_focus "$wid"
shell_quit_and_expect_settings 1 0 0 0
echo "PASS"
