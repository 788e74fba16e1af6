#!/usr/bin/env bash
# The picture scan starts when a file is loaded: with no picture command given, the Pictures
# window's status line comes to "scan done", and Next picture then lands on the font at once,
# with no progress dialog. The file is a real font in real code followed by 2 MiB of code, whose
# scan started on demand would keep the dialog up for seconds.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shell_steps.sh"
here="$(dirname "$0")"
e2e_setup
SHELL_SHOT="$E2E_TMP/shot.rgb"

python3 "$here/fonts_in_code.py" "$E2E_TMP/fonts.bin" >"$E2E_TMP/fonts.txt" || e2e_fail "could not build the test file"
read -r font_start font_width _ <"$E2E_TMP/fonts.txt"
python3 - "$here" "$E2E_TMP/fonts.bin" "$E2E_WORK/large.bin" <<'PY' || e2e_fail "could not build the large file"
import sys
sys.path.insert(0, sys.argv[1])
from fonts_in_code import CODE_FILE, elf_text
text = elf_text(CODE_FILE)
out = bytearray(open(sys.argv[2], "rb").read())
while len(out) < (2 << 20):
    out += text
open(sys.argv[3], "wb").write(out)
PY
first_byte=$(od -An -tu1 -N1 "$E2E_WORK/large.bin" | tr -d ' ')

e2e_start large.bin
wid=$(e2e_wait_window)
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
xdotool windowmove "$wid" 0 0
e2e_focus "$wid"
read -r cx cy < <(e2e_wait_canvas "$SHELL_SHOT" "$wid" "$first_byte")

e2e_key ctrl+p
pictures=$(e2e_find_window "Pictures")
scan_done() { [ "$(e2e_status_text 1 | tail -n1)" = "scan done" ]; }
e2e_poll 240 scan_done || e2e_fail "the Pictures window says: $(e2e_status_text 1)"
e2e_focus "$pictures"
e2e_key Escape
e2e_poll 20 e2e_no_window "Pictures" || e2e_fail "Escape did not close the Pictures window"

e2e_focus "$wid"
e2e_key ctrl+n
lands_without_dialog() {
    e2e_no_window "Next picture" || e2e_fail "Next picture showed a dialog after the scan had ended"
    [[ "$(e2e_status_text)" == "Disp:$font_start,w:$font_width,"* ]]
}
e2e_poll 20 lands_without_dialog || e2e_fail "Ctrl+N: $(e2e_status_text)"
echo "PASS"
