#!/usr/bin/env bash
# Shortcuts on a French keyboard layout. The main row's digits sit on the same keys as on a US
# layout but type &, é, ', _ ... there: Ctrl with the key where 1, 2, 4 or 8 sits still zooms.
# Letters follow the layout: Ctrl+M is the key that types m (where a US layout has ;).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/shell_steps.sh"
e2e_setup
command -v setxkbmap >/dev/null || e2e_fail "setxkbmap is not installed (scripts/setup installs it)"
setxkbmap -display "$DISPLAY" fr || e2e_fail "setxkbmap could not switch to the French layout"
shell_start_on_bits

# xdotool presses the key that types the symbol on the current layout.
e2e_key ctrl+eacute
e2e_wait_title "$wid" "Pixelsieve 2c,x2"
e2e_key ctrl+underscore
e2e_wait_title "$wid" "Pixelsieve 2c,x8"
e2e_key ctrl+apostrophe
e2e_wait_title "$wid" "Pixelsieve 2c,x4"
e2e_key ctrl+ampersand
e2e_wait_title "$wid" "Pixelsieve 2c,x1"
e2e_key ctrl+eacute
e2e_wait_title "$wid" "Pixelsieve 2c,x2"
e2e_poll "$E2E_TIMEOUT" shell_canvas_shows 1 2 || e2e_fail "zoom 2: $(cat "$E2E_TMP/check.log")"

# Multi columns and grid; the settings written at the end show both.
e2e_key ctrl+m
e2e_key ctrl+g
shell_quit_and_expect_settings 2 1 1 0
e2e_log "passed"
