#!/usr/bin/env bash
# The status line's count at width 4, in one column and in several: wherever the pointer is, the
# byte the count names (from the first byte shown) is the byte drawn under the pointer, and
# "jump here" puts that byte's row at the top, where the byte shows in the first column.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/shell_steps.sh"
e2e_setup
shell_start_on_bits

status=""
_status_has() {
    status=$(e2e_status_text)
    [[ "$status" == *"$1"* ]]
}
# Polls until the status line holds TEXT; fails with WHAT otherwise.
wait_status() {
    e2e_poll "$E2E_TIMEOUT" _status_has "$1" || e2e_fail "$2: the status line reads '$status'"
}

# Width 4: the width scroll bar's right arrow, one step per click.
read -r bx by bw bh < <(e2e_control_rect "$cx" "$cy" "horizontal scroll bar")
for width in 2 3 4; do
    xdotool mousemove "$((bx + bw - bh / 2))" "$((by + bh / 2))" click 1
    wait_status ",w:$width," "a click on the width bar's arrow"
done

# True when the 8 pixels of the byte cell at canvas (X, Y) on a fresh screenshot show byte
# first + count of bits.bin (zoom 1).
cell_shows() {
    e2e_screenshot_rgb "$SHELL_SHOT"
    python3 - "$SHELL_SHOT" "$cx" "$cy" "$1" "$2" "$E2E_WORK/bits.bin" "$3" "$4" <<'PY'
import sys
shot, cx, cy, x, y, data, first, count = sys.argv[1], *map(int, sys.argv[2:6]), sys.argv[6], *map(int, sys.argv[7:9])
raw = open(shot, "rb").read()
byte = open(data, "rb").read()[first + count]
got = [tuple(raw[((cy + y) * 1280 + cx + x + k) * 3:][:3]) for k in range(8)]
want = [(255, 255, 255) if byte & (0x80 >> k) else (0, 0, 0) for k in range(8)]
sys.exit(0 if got == want else "cell %d,%d shows %s, byte %d is %02x" % (x, y, got, first + count, byte))
PY
}

# Points at canvas (PX, PY): the count must name the byte drawn there; then "jump here" there
# must put that byte first in the top row, at its place in the row.
check_pointer() {
    local px=$1 py=$2 first count
    # Entering the canvas is not a movement over it: a second step is.
    xdotool mousemove "$((cx + px + 1))" "$((cy + py))"
    sleep 0.1
    xdotool mousemove "$((cx + px))" "$((cy + py))"
    wait_status ",x:$px,y:$py," "the pointer at $px,$py"
    first=$(sed -E 's/^Disp:(-?[0-9]+),.*/\1/' <<<"$status")
    count=$(sed -E 's/.*,size:(-?[0-9]+)$/\1/' <<<"$status")
    e2e_log "pointer at $px,$py: $status"
    # Off the canvas, so that no pointer lies over the cell on the screenshot.
    xdotool mousemove "$((cx + 700))" "$((cy + 100))"
    e2e_poll 10 cell_shows "$((px / 8 * 8))" "$py" "$first" "$count" 2>"$E2E_TMP/cell.log" ||
        e2e_fail "size:$count at $px,$py: $(cat "$E2E_TMP/cell.log")"

    e2e_popup_pick "$wid" "$((cx + px))" "$((cy + py))" "jump here"
    wait_status "Disp:$((first + count / 4 * 4)),w:4,x:0,y:0,size:0" "jump here at $px,$py"
    e2e_poll 10 cell_shows "$((count % 4 * 8))" 0 "$first" "$count" 2>"$E2E_TMP/cell.log" ||
        e2e_fail "after jump here at $px,$py: $(cat "$E2E_TMP/cell.log")"
}

# One column: the third byte of row 37, and a byte far down.
check_pointer 20 37
check_pointer 5 300
# Several columns: byte columns 4 to 7 are the second column's, 40 to 43 the eleventh's.
e2e_focus "$wid"
e2e_key ctrl+m
check_pointer 45 100
check_pointer 333 480

shell_quit_and_expect_settings 1 1 0 0
e2e_log "passed"
