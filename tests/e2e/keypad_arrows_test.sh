#!/usr/bin/env bash
# The keypad's arrows with Num Lock off step the view as the arrow keys do; with Num Lock on the
# same keys type digits and step nothing.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/shell_steps.sh"
e2e_setup
shell_start_on_bits

numlock_on() { xset -display "$DISPLAY" q 2>/dev/null | grep -q 'Num Lock: *on'; }
if command -v xset >/dev/null; then
    ! numlock_on || e2e_fail "Num Lock is on at the start"
fi

# Num Lock off: KP_Right widens the rows by one per auto-repeat, KP_Left narrows them again.
e2e_hold_key KP_Right 1
wide=$(shell_shown_width 1)
[ "$wide" -gt 3 ] || e2e_fail "holding the keypad's right arrow left the width at $wide"
e2e_hold_key KP_Left 0.2
narrower=$(shell_shown_width 1)
[ "$narrower" -lt "$wide" ] || e2e_fail "the keypad's left arrow left the width at $narrower (was $wide)"
e2e_log "width $wide after KP_Right, $narrower after KP_Left"

# Num Lock on: the key where KP_Right sits types 6; the width stays.
e2e_key Num_Lock
if command -v xset >/dev/null; then
    e2e_poll "$E2E_TIMEOUT" numlock_on || e2e_fail "Num Lock did not come on"
fi
e2e_hold_key KP_Right 1
[ "$(shell_shown_width 1)" = "$narrower" ] || e2e_fail "with Num Lock on the keypad key stepped the width"
e2e_key Num_Lock

shell_quit_and_expect_settings 1 0 0 0
e2e_log "passed"
