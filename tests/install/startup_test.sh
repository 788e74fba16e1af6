#!/usr/bin/env bash
# The installed viewer, started the way the desktop entry starts it, from the DESTDIR: it shows
# its window with the file, under the window class the entry declares (so a desktop matches the
# window to the entry and its icon), and quits on Escape with its settings written.
source "$(dirname "$0")/lib.sh"
dest_bin="$INST_PREFIX/bin"
# The e2e harness brings the Xvfb, the window helpers and a temp dir it removes on exit; the
# tree is installed inside that temp dir.
PIXELSIEVE_BIN="(installed below)"
source "$PIXELSIEVE_SOURCE_DIR/tests/e2e/lib.sh"
e2e_setup
INST_TMP=$E2E_TMP
dest="$E2E_TMP/dest"
inst_install "$dest"
desktop="$dest$INST_PREFIX/share/applications/$PIXELSIEVE_APP_ID.desktop"

# Exec=pixelsieve %f: the program is looked up on PATH and gets the one file.
exec_line=$(inst_desktop_value "$desktop" Exec)
program=${exec_line%% *}
export PATH="$dest$dest_bin:$PATH"
PIXELSIEVE_BIN=$(command -v "$program") || e2e_fail "$program is not on the installed PATH"
[ "$PIXELSIEVE_BIN" = "$dest$dest_bin/$program" ] || e2e_fail "PATH finds $PIXELSIEVE_BIN, not the installed one"

# A file as a file manager passes it: an absolute path, here with a blank in it.
data="$E2E_WORK/rom image.bin"
python3 -c "
import random, sys
r = random.Random(15)
data = bytearray(r.getrandbits(8) for _ in range(40000))
data[0] = 0xC3
open(sys.argv[1], 'wb').write(data)" "$data"

e2e_start "$data"
wid=$(e2e_wait_window)
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
read -r cx cy < <(e2e_wait_canvas "$E2E_TMP/shot.rgb" "$wid" 0xC3)
e2e_log "installed viewer shows the file, canvas at $cx,$cy"

wm_class=$(xprop -id "$wid" WM_CLASS 2>/dev/null) || e2e_fail "no WM_CLASS on the window"
wanted=$(inst_desktop_value "$desktop" StartupWMClass)
[ -n "$wanted" ] || e2e_fail "the desktop entry has no StartupWMClass"
[[ "$wm_class" == *"\"$wanted\""* ]] || e2e_fail "window class is $wm_class, the desktop entry expects $wanted"

e2e_focus "$wid"
e2e_key Escape
code=$(e2e_wait_exit)
[ "$code" = 0 ] || e2e_fail "exit code $code after Escape"
[ -f "$E2E_WORK/pv2.ini" ] || e2e_fail "pv2.ini was not written in the working directory"
e2e_log "the installed viewer quit on Escape and wrote pv2.ini"
