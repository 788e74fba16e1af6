#!/usr/bin/env bash
# The fine-offset field shows the value the view uses. Set to 5 at a wide row width, it is
# clamped to 1 when the rows narrow to one byte, and its text must then read 1: the field must
# look exactly as it does when 1 is typed into it.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/shell_steps.sh"
e2e_setup
shell_start_on_bits
python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); open(sys.argv[2], "wb").write(d[1:])' \
    "$E2E_WORK/bits.bin" "$E2E_TMP/from1.bin"

# The field's top left; its text part is the field less the arrows at its right end.
read -r spin_x spin_y spin_w spin_h < <(e2e_control_rect "$cx" "$cy" "spin field")
# Saves the text part of the field (inside its frame) from a fresh screenshot as raw bytes.
spin_text_shot() {
    e2e_screenshot_rgb "$SHELL_SHOT"
    python3 - "$SHELL_SHOT" "$spin_x" "$spin_y" "$spin_w" "$spin_h" "$1" <<'PY'
import sys
shot, x0, y0, w, h, out = sys.argv[1], *map(int, sys.argv[2:6]), sys.argv[6]
raw = open(shot, "rb").read()
# Inside the frame, left of the arrows (about as wide as the field is high).
rows = [raw[((y0 + y) * 1280 + x0 + 3) * 3:((y0 + y) * 1280 + x0 + w - h - 2) * 3] for y in range(3, h - 3)]
open(out, "wb").write(b"".join(rows))
PY
}
# Types TEXT into the field, which takes the first keystroke and then gives the focus away.
spin_type() {
    xdotool mousemove "$((spin_x + (spin_w - spin_h) / 2))" "$((spin_y + spin_h / 2))" click 1
    sleep 0.3
    xdotool key ctrl+a
    xdotool type --delay 50 -- "$1"
}
same_shots() { cmp -s "$1" "$2"; }
# Takes shots of the field into OUT until two in a row agree.
spin_text_settled() {
    local i
    spin_text_shot "$1"
    for ((i = 0; i < 50; i++)); do
        sleep 0.2
        spin_text_shot "$E2E_TMP/again.raw"
        same_shots "$1" "$E2E_TMP/again.raw" && return 0
        mv "$E2E_TMP/again.raw" "$1"
    done
    e2e_fail "the field kept changing"
}
text_settles_as() {
    spin_text_shot "$E2E_TMP/now.raw"
    same_shots "$E2E_TMP/now.raw" "$1"
}

e2e_hold_key Right 1
width=$(shell_shown_width 1)
[ "$width" -ge 6 ] || e2e_fail "holding Right gave width $width, too narrow for an offset of 5"
e2e_log "width $width"

spin_type 5
spin_text_settled "$E2E_TMP/five.raw"

# Narrow the rows to one byte: the offset's range becomes -1..1.
e2e_focus "$wid"
e2e_hold_key Left 3
narrowed() {
    e2e_screenshot_rgb "$SHELL_SHOT"
    python3 "$SHELL_CHECK" "$SHELL_SHOT" "$cx" "$cy" "$E2E_TMP/from1.bin" 1 1 2>"$E2E_TMP/check.log"
}
e2e_poll "$E2E_TIMEOUT" narrowed || e2e_fail "width 1 from byte 1 is not shown: $(cat "$E2E_TMP/check.log")"
spin_text_settled "$E2E_TMP/clamped.raw"

# The same field with 1 typed into it.
spin_type 1
e2e_poll "$E2E_TIMEOUT" text_settles_as "$E2E_TMP/clamped.raw" ||
    e2e_fail "the field showed something else after the clamp than with 1 typed"
same_shots "$E2E_TMP/five.raw" "$E2E_TMP/clamped.raw" && e2e_fail "the field reads the same with 5 and with 1"
e2e_poll "$E2E_TIMEOUT" narrowed || e2e_fail "typing 1 changed the view: $(cat "$E2E_TMP/check.log")"

shell_quit_and_expect_settings 1 0 0 0
e2e_log "passed"
