# Steps shared by the tests of the window's keys, menus and loads. Source after lib.sh.

SHELL_CHECK="$(dirname "${BASH_SOURCE[0]}")/canvas_check.py"
SHELL_SHOT=""

# Writes 300000 pseudo-random bytes starting with 0xA5 (the mark e2e_wait_canvas looks for) to
# $E2E_WORK/bits.bin, starts the program on it and waits until the canvas shows it. Sets
# $wid (the main window) and $cx $cy (the canvas's top-left pixel on the screen).
shell_start_on_bits() {
    SHELL_SHOT="$E2E_TMP/shot.rgb"
    python3 -c "
import random, sys
r = random.Random(7)
data = bytearray(r.getrandbits(8) for _ in range(300000))
data[0] = 0xA5
open(sys.argv[1], 'wb').write(data)" "$E2E_WORK/bits.bin"
    e2e_start bits.bin
    wid=$(e2e_wait_window)
    e2e_wait_title "$wid" "Pixelsieve 2c,x1"
    e2e_focus "$wid"
    read -r cx cy < <(e2e_wait_canvas "$SHELL_SHOT" "$wid" 0xA5)
    e2e_log "canvas at $cx,$cy"
}

# True when the canvas shows bits.bin from byte 0 with the given canvas_check.py arguments
# (WIDTH ZOOM [inverse] [grid]).
shell_canvas_shows() {
    e2e_screenshot_rgb "$SHELL_SHOT"
    python3 "$SHELL_CHECK" "$SHELL_SHOT" "$cx" "$cy" "$E2E_WORK/bits.bin" "$@" 2>"$E2E_TMP/check.log"
}

# The row width the canvas shows at the zoom (canvas_check.py --find-width), once the picture
# has stopped changing.
shell_shown_width() {
    local zoom=$1 last="" width=""
    local end=$((SECONDS + E2E_TIMEOUT))
    while ((SECONDS < end)); do
        e2e_screenshot_rgb "$SHELL_SHOT"
        width=$(python3 "$SHELL_CHECK" --find-width "$SHELL_SHOT" "$cx" "$cy" "$E2E_WORK/bits.bin" "$zoom" 2>/dev/null || true)
        if [ -n "$width" ] && [ "$width" = "$last" ]; then
            echo "$width"
            return 0
        fi
        last=$width
        sleep 0.2
    done
    e2e_fail "the canvas shows no single row width"
}

# Number of open menus: the program's visible windows besides the main window (a menu has no
# title, only the program's class).
shell_open_menus() {
    local n
    n=$( (xdotool search --onlyvisible --class '^pixelsieve$' 2>/dev/null || true) | wc -l)
    echo $((n - 1))
}

# Number of visible windows with exactly this title.
shell_count_windows() {
    local re
    re="^$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')\$"
    xdotool search --onlyvisible --name "$re" 2>/dev/null | wc -l
}

_shell_menus_are() { [ "$(shell_open_menus)" = "$1" ]; }

# Polls until exactly N menus are open.
shell_wait_menus() {
    e2e_poll "$E2E_TIMEOUT" _shell_menus_are "$1" || e2e_fail "expected $1 open menus, found $(shell_open_menus)"
}

# Keeps the pointer moving over the canvas for about SECONDS, so that events keep reaching the
# program, and fails the test as soon as the program has ended.
shell_still_running() {
    local secs=$1 what=$2
    local end=$((SECONDS + secs)) step=0
    while ((SECONDS < end)); do
        e2e_running || e2e_fail "the program ended after: $what"
        xdotool mousemove "$((cx + 100 + step % 40))" "$((cy + 100))"
        step=$((step + 7))
        sleep 0.1
    done
    e2e_running || e2e_fail "the program ended after: $what"
}

# Escape held for a while, as a person presses it: long enough for the program to poll it.
shell_escape() {
    e2e_hold_key Escape 0.4
}

# Ends the program with Escape and checks the exit code and the settings file it wrote: the
# values of Zoom, Multi, Grid and Inverse in that order.
shell_quit_and_expect_settings() {
    local zoom=$1 multi=$2 grid=$3 inverse=$4
    shell_escape
    local rc
    rc=$(e2e_wait_exit)
    [ "$rc" = 0 ] || e2e_fail "exit code $rc after Escape"
    local ini="$E2E_WORK/pv2.ini"
    [ -f "$ini" ] || e2e_fail "pv2.ini was not written"
    local expected
    expected=$(printf '[Options]\r\nZoom = %s\r\nMulti = %s\r\nGrid = %s\r\nInverse = %s\r\nReverse = 0\r\nmaxwidth = 255\r\nontop = 0\r\n' \
        "$zoom" "$multi" "$grid" "$inverse" | od -c)
    [ "$(od -c <"$ini")" = "$expected" ] || e2e_fail "pv2.ini holds: $(od -c <"$ini")"
}
