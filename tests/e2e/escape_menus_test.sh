#!/usr/bin/env bash
# Escape over the program's menus closes the menu and nothing more: the File menu, the Zoom
# submenu and then View, the context menus of the row scroll bar and of the spin field's text,
# the menu bar walked with the keys after Alt.
# Each time the program keeps running; Escape with no menu open then ends it with exit code 0
# and the settings of the run written.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/shell_steps.sh"
e2e_setup
shell_start_on_bits

e2e_key ctrl+g
e2e_poll "$E2E_TIMEOUT" shell_canvas_shows 1 1 grid || e2e_fail "grid: $(cat "$E2E_TMP/check.log")"

# The File menu, opened by a click on its title.
e2e_menu_open "$wid" File
shell_wait_menus 1
shell_escape
shell_wait_menus 0
shell_still_running 2 "Escape closed the File menu"

# Right moves from File to View, the title after it, and opens View with its first item, the
# Zoom submenu, active; Right again opens that. (The program's polling also steps the width on
# Right, as it does whatever has the focus.)
e2e_menu_open "$wid" File
shell_wait_menus 1
xdotool key Right
sleep 0.3
xdotool key Right
shell_wait_menus 2
shell_escape
shell_wait_menus 1
shell_still_running 2 "Escape closed the Zoom submenu"
shell_escape
shell_wait_menus 0
shell_still_running 2 "Escape closed the View menu"

# The context menus of the row scroll bar and of the spin field's text.
read -r x y < <(e2e_control_centre "$cx" "$cy" "vertical scroll bar")
xdotool mousemove "$x" "$y" click 3
shell_wait_menus 1
shell_escape
shell_wait_menus 0
shell_still_running 2 "Escape closed the scroll bar's context menu"

read -r x y w h < <(e2e_control_rect "$cx" "$cy" "spin field")
xdotool mousemove "$((x + w / 4))" "$((y + h / 2))" click 3
shell_wait_menus 1
shell_escape
shell_wait_menus 0
shell_still_running 2 "Escape closed the spin field's context menu"

# Alt alone hands the keyboard to the menu bar, to walk its titles; Escape ends that walk.
e2e_focus "$wid"
e2e_key alt
sleep 0.3
shell_escape
shell_still_running 2 "Escape ended the menu bar's keyboard walk"

# No menu is open now: Escape ends the program and the grid is stored.
shell_quit_and_expect_settings 1 0 1 0
e2e_log "passed"
