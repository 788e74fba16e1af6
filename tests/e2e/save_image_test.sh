#!/usr/bin/env bash
# "Save image..." through the real menu and save dialog: the view of a known file exported as
# PNG and as BMP, every decoded pixel compared with the bits it must show (the grid shown on
# the canvas never reaches the file); then a write that fails part-way gives the message and
# leaves no file.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/save_steps.sh"
e2e_setup

# 300 bytes: at width 1 the view shows them in rows 0 to 299 and blue below.
python3 -c 'import sys; sys.stdout.buffer.write(bytes((i * 37 + 11) & 0xFF for i in range(300)))' \
    >"$E2E_WORK/sprites.dat"
out="$E2E_TMP/out"
mkdir -p "$out"

e2e_start sprites.dat
wid=$(e2e_wait_window)
e2e_focus "$wid"

# The grid goes on the canvas only: make sure it is really shown before exporting.
read -r cx cy < <(e2e_wait_canvas "$E2E_TMP/before.rgb" "$wid" 11) || e2e_fail "the view never showed the file"
e2e_key ctrl+g
grid_shown() {
    e2e_screenshot_rgb "$E2E_TMP/after.rgb"
    python3 - "$E2E_TMP/before.rgb" "$E2E_TMP/after.rgb" "$cx" "$cy" <<'PY'
import sys
a, b = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
x0, y0 = int(sys.argv[3]), int(sys.argv[4])
rows = range(y0, y0 + 512)
sys.exit(0 if any(a[(y * 1280 + x0) * 3:(y * 1280 + x0 + 600) * 3] != b[(y * 1280 + x0) * 3:(y * 1280 + x0 + 600) * 3] for y in rows) else 1)
PY
}
e2e_poll 10 grid_shown || e2e_fail "Ctrl+G did not change the canvas"

# PNG, the preselected pattern; the name gets ".png".
e2e_menu_pick "$wid" File "Save image..."
save_answer "$SAVE_DIALOG" "$out/view"
save_wait_file "$out/view.png"
python3 "$here/view_picture.py" "$out/view.png" "$E2E_WORK/sprites.dat" 1 0 ||
    e2e_fail "the PNG does not show the view"

# BMP chosen in the pattern list while the name says .png: both extensions, BMP inside, and
# the inverse just switched on is in the picture.
e2e_focus "$wid"
e2e_key ctrl+i
e2e_menu_pick "$wid" File "Save image..."
save_answer "$SAVE_DIALOG" "$out/view.png" B
save_wait_file "$out/view.png.bmp"
[ "$(stat -c %s "$out/view.png.bmp")" = 921654 ] || e2e_fail "the BMP is not 921654 bytes"
python3 "$here/view_picture.py" "$out/view.png.bmp" "$E2E_WORK/sprites.dat" 1 0 inverse ||
    e2e_fail "the BMP does not show the inverted view"
[ "$(ls "$out" | sort | tr '\n' ' ')" = "view.png view.png.bmp " ] ||
    e2e_fail "unexpected files: $(ls "$out")"
e2e_no_window "Save Image Error" || e2e_fail "an error was shown after a successful save"

e2e_menu_pick "$wid" File Quit
rc=$(e2e_wait_exit)
[ "$rc" = 0 ] || e2e_fail "Quit ended the program with $rc"

# A 900 KiB BMP under a 200 KiB file-size limit: the writer fails part-way.
e2e_start_limited 200 sprites.dat
wid=$(e2e_wait_window)
e2e_menu_pick "$wid" File "Save image..."
save_answer "$SAVE_DIALOG" "$out/limited" B
save_ack_message "Save Image Error"
[ ! -e "$out/limited.bmp" ] || e2e_fail "a partial limited.bmp was left behind"
e2e_log "passed"
