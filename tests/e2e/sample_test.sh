#!/usr/bin/env bash
# The sample the README's run command opens: generated, loaded from the command line and shown
# bit for bit; holding Right widens the rows.
source "$(dirname "$0")/lib.sh"
check="$(dirname "$0")/canvas_check.py"
: "${MAKE_SAMPLE_BIN:?MAKE_SAMPLE_BIN must name the sample generator}"
e2e_setup

sample="$E2E_WORK/sample.bin"
"$MAKE_SAMPLE_BIN" "$sample" || e2e_fail "the sample generator failed"
[ "$(stat -c %s "$sample")" = 4096 ] || e2e_fail "the sample is not 4096 bytes"
first=$(od -An -tu1 -N1 "$sample" | tr -d ' ')

e2e_start sample.bin
wid=$(e2e_wait_window)
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
e2e_focus "$wid"
shot="$E2E_TMP/shot.rgb"
read -r cx cy < <(e2e_wait_canvas "$shot" "$wid" "$first")
shows_width_one() {
    e2e_screenshot_rgb "$shot"
    python3 "$check" "$shot" "$cx" "$cy" "$sample" 1 1 2>"$E2E_TMP/check.log"
}
e2e_poll 10 shows_width_one || e2e_fail "the sample is not shown at width 1: $(cat "$E2E_TMP/check.log")"

e2e_hold_key Right 0.5
e2e_settle "$wid"
wider_than_one() {
    e2e_screenshot_rgb "$shot"
    width=$(python3 "$check" --find-width "$shot" "$cx" "$cy" "$sample" 1) && [ "$width" -gt 1 ]
}
e2e_poll 10 wider_than_one || e2e_fail "after holding Right the canvas shows width '${width:-none}'"

e2e_key Escape
[ "$(e2e_wait_exit)" = 0 ] || e2e_fail "exit code not 0"
echo "PASS"
