# Steps shared by the save tests: the File menu, the save dialog, the size prompt and message
# boxes, driven as a user drives them. Source after lib.sh.
#
# Dialogs are answered with Enter, never Escape, which is also the program's quit key.

SAVE_DIALOG="Please choose file to save"

# Waits until no visible window has this title.
save_wait_closed() {
    e2e_poll "$E2E_TIMEOUT" e2e_no_window "$1" || e2e_fail "the window '$1' did not close"
}

# Replaces the text of the focused field of the dialog TITLE and confirms with Enter. With a
# third argument, first picks the file pattern starting with that letter (Tab from the name to
# the pattern list, the letter, Shift+Tab back).
save_answer() {
    local title=$1 text=$2 pattern=${3:-}
    local did
    did=$(e2e_find_window "$title")
    e2e_focus "$did"
    if [ -n "$pattern" ]; then
        xdotool key Tab
        sleep 0.2
        xdotool key "$pattern"
        sleep 0.2
        xdotool key shift+Tab
        sleep 0.2
    fi
    xdotool key ctrl+a
    xdotool type --delay 20 -- "$text"
    sleep 0.3
    xdotool key Return
    # A completion list over the name field may take the first Enter.
    if ! e2e_poll 3 e2e_no_window "$title"; then
        xdotool key Return
    fi
    save_wait_closed "$title"
}

# Types TEXT into the dialog TITLE as it opens, over whatever the field selects by itself, and
# confirms with Enter.
save_type_as_opened() {
    local did
    did=$(e2e_find_window "$1")
    e2e_focus "$did"
    xdotool type --delay 20 -- "$2"
    sleep 0.3
    xdotool key Return
    save_wait_closed "$1"
}

# Confirms the message box TITLE with Enter (its only button).
save_ack_message() {
    local did
    did=$(e2e_find_window "$1")
    e2e_focus "$did"
    xdotool key Return
    save_wait_closed "$1"
}

# Polls until the file exists and its size has stopped changing.
save_wait_file() {
    local path=$1 last=-1 size
    local end=$((SECONDS + E2E_TIMEOUT))
    while ((SECONDS < end)); do
        if [ -f "$path" ]; then
            size=$(stat -c %s "$path")
            [ "$size" = "$last" ] && return 0
            last=$size
        fi
        sleep 0.3
    done
    e2e_fail "no file $path"
}

# The bytes of a file as hex, for comparisons.
save_hex() { od -An -v -tx1 "$1" | tr -d ' \n'; }
