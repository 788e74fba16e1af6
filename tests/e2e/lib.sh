# Harness for the end-to-end tests: the real binary under a private Xvfb, driven by xdotool.
#
# Source it from a tests/e2e/*_test.sh script, then:
#   e2e_setup                      private Xvfb (DISPLAY set), temp dir $E2E_TMP, working dir $E2E_WORK
#   e2e_start [ARGS...]            starts $PIXELSIEVE_BIN in $E2E_WORK; pid in $E2E_PID
#   wid=$(e2e_wait_window)         id of the visible main window (polls; fails the test on time-out)
#   e2e_focus "$wid"               gives it the keyboard focus (no window manager runs)
#   e2e_wait_title "$wid" TEXT     polls until the title is exactly TEXT
#   e2e_wait_exit [SECONDS]        waits for the program to end; prints its exit code
#   e2e_find_window TITLE          polls for a visible window (a dialog) with that exact title
#   e2e_key KEYS / e2e_hold_key KEY SECONDS   press through XTEST (the program polls the keymap)
#   e2e_screenshot_rgb FILE; e2e_pixel FILE X Y; e2e_canvas_origin FILE WID FIRST_BYTE;
#   e2e_wait_canvas SHOT WID FIRST_BYTE
#   e2e_menu_open WID LABEL        opens the menu of a bar entry ("File"), no item selected
#   e2e_menu_pick WID LABEL...     picks a menu item by its labels ("File" "Save image...")
#   e2e_popup_pick WID X Y LABEL   right click at (X, Y), then the popup menu's item
#   e2e_control_rect CX CY KIND [TEXT]   "X Y W H" on the screen of a control ("check box" "grid")
#   e2e_control_centre CX CY KIND [TEXT] "X Y" of its centre
#   e2e_status_text [BAR]          the status line as the program has it now (BAR 1: Pictures)
#   e2e_fresh_dump                 asks for a fresh dump, for e2e_layout to read
#   e2e_settle WID                 waits until the program has handled everything sent before
#   e2e_send_key WID KEY           a key as a synthetic event, which the program's polling ignores
# Every helper that waits polls with a generous time-out: the binary CTest runs carries the
# sanitizers and starts slowly. On exit Xvfb and the program are stopped and the temp dir removed
# (kept when E2E_KEEP=1). Needs: Xvfb, xdotool, ImageMagick's import, python3.
set -euo pipefail

: "${PIXELSIEVE_BIN:?PIXELSIEVE_BIN must name the pixelsieve binary}"

E2E_TMP=""
E2E_WORK=""
E2E_PID=""
E2E_XVFB_PID=""
E2E_TIMEOUT="${E2E_TIMEOUT:-60}"
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The menus, the controls and the status line come from the dump the running program writes
# (PIXELSIEVE_UI_DUMP, set by e2e_setup), so the tests find an item by its label and a control by
# its kind wherever they stand.
E2E_LAYOUT_PY="$E2E_ROOT/tests/e2e/window_layout.py"

e2e_log() { echo "e2e: $*" >&2; }

e2e_fail() {
    echo "FAIL: $*" >&2
    if [ -n "$E2E_TMP" ] && [ -s "$E2E_TMP/app.log" ]; then
        echo "---- program output" >&2
        tail -n 60 "$E2E_TMP/app.log" >&2
    fi
    exit 1
}

e2e_cleanup() {
    local rc=$?
    if [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null; then
        kill "$E2E_PID" 2>/dev/null || true
        sleep 0.5
        kill -9 "$E2E_PID" 2>/dev/null || true
    fi
    if [ -n "$E2E_XVFB_PID" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null || true
        wait "$E2E_XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "$E2E_TMP" ]; then
        if [ "${E2E_KEEP:-0}" = 1 ] || [ $rc -ne 0 ]; then
            e2e_log "kept $E2E_TMP"
        else
            rm -rf "$E2E_TMP"
        fi
    fi
    return $rc
}

# Starts a private Xvfb on a free display number (-displayfd lets several tests run at once)
# and makes a temporary working directory.
e2e_setup() {
    for tool in Xvfb xdotool import python3; do
        command -v "$tool" >/dev/null || e2e_fail "$tool is not installed (scripts/setup installs it)"
    done
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/pixelsieve-e2e.XXXXXX")
    E2E_WORK="$E2E_TMP/work"
    mkdir -p "$E2E_WORK"
    trap e2e_cleanup EXIT
    : >"$E2E_TMP/display"
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset 9>"$E2E_TMP/display" \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    local i
    for ((i = 0; i < 200; i++)); do
        if grep -q '^[0-9]' "$E2E_TMP/display" 2>/dev/null; then break; fi
        kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
        sleep 0.05
    done
    local n
    n=$(head -n1 "$E2E_TMP/display" | tr -dc 0-9)
    [ -n "$n" ] || e2e_fail "Xvfb gave no display number"
    export DISPLAY=":$n"
    unset WAYLAND_DISPLAY || true
    export QT_QPA_PLATFORM=xcb
    # A folder of its own that any user may write: some tests run the program as another user.
    mkdir -m 777 "$E2E_TMP/dump"
    export PIXELSIEVE_UI_DUMP="$E2E_TMP/dump/ui.json"
    e2e_log "Xvfb on $DISPLAY, work dir $E2E_WORK"
}

# Starts the program in the working directory with the given arguments. $E2E_PID is the
# program's own pid; its exit code is kept for e2e_wait_exit, which may then run in a subshell.
e2e_start() {
    rm -f "$E2E_TMP/pid" "$E2E_TMP/exit_code" "$PIXELSIEVE_UI_DUMP"
    (
        cd "$E2E_WORK" || exit 1
        "$PIXELSIEVE_BIN" "$@" &
        echo $! >"$E2E_TMP/pid"
        rc=0
        wait $! || rc=$?
        echo $rc >"$E2E_TMP/exit_code.tmp"
        mv "$E2E_TMP/exit_code.tmp" "$E2E_TMP/exit_code"
    ) >"$E2E_TMP/app.log" 2>&1 </dev/null &
    local i
    for ((i = 0; i < 100; i++)); do
        [ -s "$E2E_TMP/pid" ] && break
        sleep 0.05
    done
    E2E_PID=$(cat "$E2E_TMP/pid")
}

# As e2e_start, with writes limited to KIB kibibytes per file and SIGXFSZ ignored, so a write
# past the limit fails with EFBIG as on a full disk. Usage: e2e_start_limited KIB args...
e2e_start_limited() {
    local kib=$1
    shift
    printf '#!/usr/bin/env bash\ntrap "" XFSZ\nulimit -f %d\nexec %q "$@"\n' "$kib" "$PIXELSIEVE_BIN" \
        >"$E2E_TMP/limited"
    chmod 755 "$E2E_TMP/limited"
    PIXELSIEVE_BIN="$E2E_TMP/limited" e2e_start "$@"
}

# Polls until fn succeeds or the time-out (seconds) passes. Usage: e2e_poll SECONDS cmd args...
e2e_poll() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    while ((SECONDS < end)); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    "$@"
}

_e2e_search_visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 | grep -q .; }

# Prints the id of the first visible window whose title matches the regular expression
# (default: the main window), polling until it appears.
e2e_wait_window() {
    local pattern=${1:-^Pixelsieve 2c}
    local end=$((SECONDS + E2E_TIMEOUT))
    local wid=""
    while ((SECONDS < end)); do
        wid=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1 || true)
        if [ -n "$wid" ]; then
            echo "$wid"
            return 0
        fi
        if [ -n "$E2E_PID" ] && ! kill -0 "$E2E_PID" 2>/dev/null; then
            e2e_fail "the program ended before a window titled /$pattern/ appeared"
        fi
        sleep 0.1
    done
    e2e_fail "no visible window titled /$pattern/ within ${E2E_TIMEOUT}s"
}

# A visible window with exactly this title (a message box, a file dialog). Prints its id.
e2e_find_window() {
    local title=$1
    local re
    re="^$(printf '%s' "$title" | sed 's/[][\.*^$()+?{}|]/\\&/g')\$"
    e2e_wait_window "$re"
}

# True (and prints nothing) when no visible window has this exact title right now.
e2e_no_window() {
    local re
    re="^$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')\$"
    ! _e2e_search_visible "$re"
}

e2e_focus() {
    xdotool windowfocus --sync "$1" >/dev/null 2>&1 || xdotool windowfocus "$1" >/dev/null 2>&1 || true
    sleep 0.2
}

e2e_title() { xdotool getwindowname "$1" 2>/dev/null || true; }

# Polls until the window's title is exactly the text.
e2e_wait_title() {
    local wid=$1 want=$2
    local end=$((SECONDS + E2E_TIMEOUT))
    while ((SECONDS < end)); do
        [ "$(e2e_title "$wid")" = "$want" ] && return 0
        sleep 0.1
    done
    e2e_fail "title is '$(e2e_title "$wid")', expected '$want'"
}

# Waits for the program to end and prints its exit code; fails the test on time-out.
e2e_wait_exit() {
    local limit=${1:-$E2E_TIMEOUT}
    local end=$((SECONDS + limit))
    local ours=0
    [ "$(cat "$E2E_TMP/pid" 2>/dev/null)" = "$E2E_PID" ] && ours=1
    while ((SECONDS < end)); do
        if [ $ours = 1 ] && [ -s "$E2E_TMP/exit_code" ]; then
            cat "$E2E_TMP/exit_code"
            return 0
        fi
        if [ $ours = 0 ] && ! kill -0 "$E2E_PID" 2>/dev/null; then
            # Started by the caller itself, not through e2e_start: only a direct wait knows.
            local rc=0
            wait "$E2E_PID" 2>/dev/null || rc=$?
            echo "$rc"
            return 0
        fi
        sleep 0.1
    done
    e2e_fail "the program did not end within ${limit}s"
}

# True while the program runs.
e2e_running() { kill -0 "$E2E_PID" 2>/dev/null && ! grep -q . "$E2E_TMP/exit_code" 2>/dev/null; }

# Holds a key down for the given seconds (through XTEST, as a real keyboard), then releases it.
e2e_hold_key() {
    local key=$1 secs=$2
    xdotool keydown "$key"
    sleep "$secs"
    xdotool keyup "$key"
}

# Presses a key (or a combination such as ctrl+g) and waits a moment so the program polls it.
e2e_key() {
    xdotool keydown "$1"
    sleep 0.15
    xdotool keyup "$1"
}

# "X Y" of the window's client area on the screen (no window manager: no frame).
e2e_window_origin() {
    local wid=$1
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    echo "$X $Y"
}

# Saves a screenshot of the whole screen as PNG.
e2e_screenshot() {
    import -window root "png:$1"
}

# Saves the whole screen as raw RGB (1280 x 1024 x 3 bytes), what e2e_pixel and the Python
# helpers read.
e2e_screenshot_rgb() {
    import -window root -depth 8 "rgb:$1"
}

# Prints "R G B" of screen pixel (x, y) of a raw screenshot.
e2e_pixel() {
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, x, y = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(path, "rb") as f:
    f.seek((y * 1280 + x) * 3)
    r, g, b = f.read(3)
print(r, g, b)
EOF
}

# Takes screenshots into SHOT until the canvas shows FIRST_BYTE at its top left, then prints
# "X Y" as e2e_canvas_origin does; fails the test after $E2E_TIMEOUT seconds.
# Usage: read -r cx cy < <(e2e_wait_canvas SHOT WID FIRST_BYTE)
e2e_wait_canvas() {
    local shot=$1 wid=$2 first_byte=$3
    _e2e_canvas_drawn() {
        e2e_screenshot_rgb "$shot"
        e2e_canvas_origin "$shot" "$wid" "$first_byte" >"$E2E_TMP/canvas_origin" 2>/dev/null
    }
    e2e_poll "$E2E_TIMEOUT" _e2e_canvas_drawn || e2e_fail "the canvas never showed the file"
    cat "$E2E_TMP/canvas_origin"
}

# Prints "X Y", the screen position of the canvas's top-left pixel on a raw screenshot. The
# menu bar's height above the canvas depends on the style, so it is found: the first row below
# the window's origin whose first 8 pixels show the bits of FIRST_BYTE at zoom 1 (white for a
# set bit, black for a clear one). Load a file whose first byte is not 0x00 or 0xFF.
e2e_canvas_origin() {
    local shot=$1 wid=$2 first_byte=$3
    local ox oy
    read -r ox oy < <(e2e_window_origin "$wid")
    python3 - "$shot" "$ox" "$oy" "$first_byte" <<'EOF2'
import sys
path, ox, oy, byte = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4], 0)
data = open(path, "rb").read()
def px(x, y):
    i = (y * 1280 + x) * 3
    return tuple(data[i:i + 3])
want = [(255, 255, 255) if byte & (0x80 >> k) else (0, 0, 0) for k in range(8)]
for y in range(oy, oy + 120):
    if [px(ox + k, y) for k in range(8)] == want:
        print(ox, y)
        sys.exit(0)
sys.exit("canvas not found below the window origin %d,%d" % (ox, oy))
EOF2
}

# Runs window_layout.py on the program's dump, once the program has written it (when its
# event loop starts). Usage: e2e_layout COMMAND ARGS...
_e2e_dump_written() { [ -s "$PIXELSIEVE_UI_DUMP" ]; }
e2e_layout() {
    e2e_poll "$E2E_TIMEOUT" _e2e_dump_written || e2e_fail "the program wrote no dump of its window"
    python3 "$E2E_LAYOUT_PY" "$PIXELSIEVE_UI_DUMP" "$@"
}

# Prints the status line as the program has it now: asks for a fresh dump (SIGUSR1) and reads it.
# With BAR, the fields of that status bar (1: the Pictures window's).
e2e_status_text() {
    e2e_fresh_dump
    e2e_layout status "$@"
}

# Asks the program for a fresh dump (SIGUSR1), to be read with e2e_layout.
e2e_fresh_dump() {
    e2e_poll "$E2E_TIMEOUT" _e2e_dump_written || e2e_fail "the program wrote no dump of its window"
    rm -f "$PIXELSIEVE_UI_DUMP"
    kill -USR1 "$E2E_PID"
}

# Visible windows of the program besides WID: one for each open menu or dialog.
_e2e_other_windows() { (xdotool search --onlyvisible --class '^pixelsieve$' 2>/dev/null || true) | grep -cvx "$1"; }

# Sends a key to the window as a synthetic event (XSendEvent), to whichever of its fields or
# menus has the keyboard. Qt's menus and fields take it like any key, but it leaves the X
# server's keymap alone, which the program polls for the arrows and Escape: an arrow that steps
# through a menu does not also move the view.
e2e_send_key() {
    xdotool key --window "$1" "$2"
    sleep 0.1
}

# A menu's keys: the arrows as synthetic events (see e2e_send_key), Return through XTEST as a
# real keyboard sends it. A synthetic Return that ends the program (on "Quit") upsets the next
# program started on the same display: its menus stop answering.
_e2e_menu_key() {
    if [ "$2" = Return ]; then
        e2e_key Return
    else
        e2e_send_key "$1" "$2"
    fi
}

# Opens the menu of the bar entry LABEL (as the menu bar shows it) with a click where a
# screenshot shows the entry, and waits for it; an entry that is an item is picked by the click.
# A menu opened so has no item selected yet.
e2e_menu_open() {
    local wid=$1 label=$2 index kind x y attempt
    read -r index kind < <(e2e_layout bar-index "$label") || e2e_fail "no bar entry $label"
    e2e_focus "$wid"
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    _e2e_bar_entry_found() {
        e2e_screenshot_rgb "$E2E_TMP/menu_bar.rgb"
        python3 "$E2E_LAYOUT_PY" - bar-entry "$E2E_TMP/menu_bar.rgb" "$X" "$Y" "$WIDTH" "$index" \
            >"$E2E_TMP/bar_entry" 2>"$E2E_TMP/bar_entry.log"
    }
    e2e_poll "$E2E_TIMEOUT" _e2e_bar_entry_found || e2e_fail "menu bar: $(cat "$E2E_TMP/bar_entry.log")"
    read -r x y <"$E2E_TMP/bar_entry"
    [ "$(_e2e_other_windows "$wid")" = 0 ] || e2e_fail "a menu or dialog is already open"
    _e2e_menu_shown() { [ "$(_e2e_other_windows "$wid")" -ge 1 ]; }
    # A click the busy program missed is repeated.
    for attempt in 1 2 3; do
        xdotool mousemove "$x" "$y" click 1
        [ "$kind" = menu ] || return 0
        if e2e_poll 10 _e2e_menu_shown; then return 0; fi
    done
    e2e_fail "the menu $label did not open"
}

# Picks a menu item by its labels as the menus show them (the text before the tab):
# e2e_menu_pick WID "File" "Save image...", WID "View" "Zoom" "zoom x2", or WID "x4" for an entry
# on the bar itself. The keys after the click go to the open menu, and every submenu that opens
# is waited for before the next key.
e2e_menu_pick() {
    local wid=$1 keys index key windows=1
    shift
    keys=$(e2e_layout menu-keys "$@") || e2e_fail "no menu item $*"
    read -r index keys <<<"$keys"
    e2e_menu_open "$wid" "$1"
    _e2e_menus_open() { [ "$(_e2e_other_windows "$wid")" -ge "$windows" ]; }
    for key in $keys; do
        _e2e_menu_key "$wid" "$key"
        if [ "$key" = Right ]; then
            windows=$((windows + 1))
            e2e_poll "$E2E_TIMEOUT" _e2e_menus_open || e2e_fail "the submenu did not open on the way to: $*"
        fi
    done
}

# Right-clicks at screen position (X, Y) over window WID and picks the item LABEL of the popup
# menu that opens.
e2e_popup_pick() {
    local wid=$1 x=$2 y=$3 label=$4 keys key
    keys=$(e2e_layout popup-keys "$label") || e2e_fail "no popup item $label"
    [ "$(_e2e_other_windows "$wid")" = 0 ] || e2e_fail "a menu or dialog is already open"
    xdotool mousemove "$x" "$y" click 3
    _e2e_popup_open() { [ "$(_e2e_other_windows "$wid")" -ge 1 ]; }
    e2e_poll "$E2E_TIMEOUT" _e2e_popup_open || e2e_fail "no popup menu after a right click at $x,$y"
    for key in $keys; do
        _e2e_menu_key "$wid" "$key"
    done
}

# Prints "X Y W H", the screen rectangle of the first control of KIND whose text is TEXT (any
# text without it), as the program's dump names them ("check box" "nibble swap", "spin field",
# "vertical scroll bar"), given the canvas's top-left pixel (CX, CY) on the screen.
e2e_control_rect() {
    local cx=$1 cy=$2 x y w h
    shift 2
    read -r x y w h < <(e2e_layout control "$@") || e2e_fail "no control $*"
    echo "$((cx + x)) $((cy + y)) $w $h"
}

# Prints "X Y", the screen position of the centre of a control; see e2e_control_rect.
e2e_control_centre() {
    local x y w h
    read -r x y w h < <(e2e_control_rect "$@")
    echo "$((x + w / 2)) $((y + h / 2))"
}

# Waits until the program has handled everything sent to it before and is back in its own loop
# with no dialog open: the zoom is switched to another value and back by its shortcuts, each
# time waiting for the title to show it (no shortcut works while a dialog is open).
e2e_settle() {
    local wid=$1 title zoom other
    title=$(e2e_title "$wid")
    zoom=${title##*,x}
    other=2
    [ "$zoom" = 2 ] && other=1
    e2e_focus "$wid"
    e2e_key "ctrl+$other"
    e2e_wait_title "$wid" "${title%,x*},x$other"
    e2e_key "ctrl+$zoom"
    e2e_wait_title "$wid" "$title"
}
