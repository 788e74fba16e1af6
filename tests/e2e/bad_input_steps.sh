# Steps shared by the bad-input tests. Source after lib.sh.
#
# A message box is told by its title (its text is not readable from outside the process: Qt's
# message box offers no copy under X11).

# Confirms the message box TITLE with Enter, its only button, and waits for it to close.
bad_ack_message() {
    local title=$1 did
    did=$(e2e_find_window "$title")
    e2e_focus "$did"
    xdotool key Return
    e2e_poll "$E2E_TIMEOUT" e2e_no_window "$title" || e2e_fail "the box '$title' did not close"
}

# Starts the program on ARG (runner: e2e_start or bad_start_as_nobody), expects the message box
# TITLE, confirms it and expects the program to end with 0 at once, without its main window
# ever staying up and without writing the settings file.
bad_expect_refusal() {
    local runner=$1 arg=$2 title=$3
    rm -f "$E2E_WORK/pv2.ini"
    "$runner" "$arg"
    bad_ack_message "$title"
    local rc
    rc=$(e2e_wait_exit)
    [ "$rc" = 0 ] || e2e_fail "exit code $rc after refusing $arg"
    [ ! -e "$E2E_WORK/pv2.ini" ] || e2e_fail "the settings file was written after refusing $arg"
    e2e_log "refused $arg with '$title': ok"
}

# Quits through the File menu's "Quit" and checks the exit code. Escape would do too, but the
# program polls it from the whole X server.
bad_quit() {
    e2e_menu_pick "$1" File Quit
    local rc
    rc=$(e2e_wait_exit)
    [ "$rc" = 0 ] || e2e_fail "Quit ended the program with $rc"
}

# Starts the program through e2e_start with a wrapper that runs PRELUDE first and then execs
# the program (the same process, so the harness's pid and exit code stay the program's). The
# prelude may name another copy of the program in $program and a user in AS_USER.
bad_start_wrapped() {
    local prelude=$1
    shift
    {
        echo '#!/usr/bin/env bash'
        printf 'program=%q\n' "$PIXELSIEVE_BIN"
        printf '%s\n' "$prelude"
        echo 'exec ${AS_USER[@]+"${AS_USER[@]}"} "$program" "$@"'
    } >"$E2E_TMP/wrapped"
    chmod 755 "$E2E_TMP/wrapped"
    PIXELSIEVE_BIN="$E2E_TMP/wrapped" e2e_start "$@"
}

# When root (whose reads and writes permissions do not stop), the wrapped program runs as the
# unprivileged "nobody", with $E2E_WORK made its own. The checkout may lie in a folder nobody
# cannot enter (a clone into a fresh mktemp -d folder is 0700), so nobody runs a copy of the
# program, and of the leak checker's suppressions, in a folder of the temp dir.
bad_as_nobody_prelude() {
    [ "$(id -u)" = 0 ] || return 0
    chmod 755 "$E2E_TMP"
    chown -R nobody "$E2E_WORK"
    local dir=$E2E_TMP/nobody
    mkdir -p "$dir"
    chmod 755 "$dir"
    cp "$PIXELSIEVE_BIN" "$dir/pixelsieve"
    chmod 755 "$dir/pixelsieve"
    setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$dir/pixelsieve" ||
        e2e_fail "nobody cannot run $dir/pixelsieve: a folder above it is closed to others"
    printf 'program=%q\n' "$dir/pixelsieve"
    local option supp=""
    for option in ${LSAN_OPTIONS//:/ }; do
        [ "${option%%=*}" = suppressions ] && supp=${option#*=}
    done
    if [ -n "$supp" ]; then
        cp "$supp" "$dir/lsan.supp"
        chmod 644 "$dir/lsan.supp"
        printf 'export LSAN_OPTIONS=%q\n' "${LSAN_OPTIONS//"$supp"/"$dir/lsan.supp"}"
    fi
    echo 'AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/nonexistent XDG_RUNTIME_DIR=)'
}

bad_start_as_nobody() {
    local prelude
    prelude=$(bad_as_nobody_prelude)
    bad_start_wrapped "$prelude" "$@"
}

# The eight lines the program writes at exit with every option at its start value.
bad_default_settings() {
    printf '[Options]\r\nZoom = 1\r\nMulti = 0\r\nGrid = 0\r\nInverse = 0\r\nReverse = 0\r\nmaxwidth = 255\r\nontop = 0\r\n'
}

# As bad_start_as_nobody, with writes limited to KIB kibibytes per file and SIGXFSZ ignored, so
# a write past the limit fails with EFBIG as on a full disk.
bad_start_limited() {
    local kib=$1 prelude
    shift
    prelude=$(bad_as_nobody_prelude)
    bad_start_wrapped "$prelude
trap '' XFSZ
ulimit -f $kib" "$@"
}

# Number of visible windows with exactly this title.
bad_count_windows() {
    local re
    re="^$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')\$"
    xdotool search --onlyvisible --name "$re" 2>/dev/null | wc -l
}
