#!/usr/bin/env bash
# A load through "Open..." that cannot succeed while a file is shown: a name typed that does not
# exist is refused by the dialog itself, an empty file gives "File Read Error". Either way the
# shown picture stays, the program keeps running, and Escape later ends it with the settings of
# the run written. (A drop cannot be made from outside with xdotool, which has no drag and drop:
# failed drops are tested at widget level.)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/shell_steps.sh"
e2e_setup
shell_start_on_bits
: >"$E2E_WORK/empty.bin"

OPEN_DIALOG="Please choose file to load"

e2e_key ctrl+g
e2e_poll "$E2E_TIMEOUT" shell_canvas_shows 1 1 grid || e2e_fail "grid: $(cat "$E2E_TMP/check.log")"

# Opens the dialog with Ctrl+O and types NAME into its name field, then Enter.
open_typed() {
    local did
    e2e_focus "$wid"
    e2e_key ctrl+o
    did=$(e2e_find_window "$OPEN_DIALOG")
    e2e_focus "$did"
    xdotool key ctrl+a
    xdotool type --delay 20 -- "$1"
    sleep 0.3
    xdotool key Return
}

count_open_dialogs() { [ "$(shell_count_windows "$OPEN_DIALOG")" = "$1" ]; }

# A missing name: the dialog answers with its own message box (same title) and stays open.
open_typed "$E2E_WORK/missing.bin"
e2e_poll "$E2E_TIMEOUT" count_open_dialogs 2 || e2e_fail "no message in front of the dialog for a missing name"
xdotool key Return
e2e_poll "$E2E_TIMEOUT" count_open_dialogs 1 || e2e_fail "the dialog's message did not close"
e2e_running || e2e_fail "the program ended after a missing name was typed"
# Cancelled with Escape: only the dialog closes.
did=$(e2e_find_window "$OPEN_DIALOG")
e2e_focus "$did"
shell_escape
e2e_poll "$E2E_TIMEOUT" count_open_dialogs 0 || e2e_fail "the dialog did not close on Escape"
shell_still_running 2 "the open dialog was cancelled"
e2e_poll "$E2E_TIMEOUT" shell_canvas_shows 1 1 grid || e2e_fail "after the missing name: $(cat "$E2E_TMP/check.log")"

# An empty file: the load's message, and the shown file stays.
open_typed "$E2E_WORK/empty.bin"
did=$(e2e_find_window "File Read Error")
e2e_focus "$did"
xdotool key Return
e2e_poll "$E2E_TIMEOUT" e2e_no_window "File Read Error" || e2e_fail "the message did not close"
shell_still_running 2 "an empty file was opened"
e2e_poll "$E2E_TIMEOUT" shell_canvas_shows 1 1 grid || e2e_fail "after the empty file: $(cat "$E2E_TMP/check.log")"

# The session goes on: zoom 2 now, then Escape stores both options.
e2e_focus "$wid"
e2e_key ctrl+2
e2e_wait_title "$wid" "Pixelsieve 2c,x2"
shell_quit_and_expect_settings 2 0 1 0
e2e_log "passed"
