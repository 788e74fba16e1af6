#!/usr/bin/env bash
# Every manual page in packaging/man renders at 80 columns without a warning and has the
# sections a reader looks for; and the pages keep up with the programs: every menu item and
# shortcut the viewer builds is described, and every command and option the installed
# pixelsieve-cli lists in its help.
source "$(dirname "$0")/lib.sh"
inst_setup
command -v man >/dev/null || inst_fail "man is not installed (scripts/setup installs it)"

pages="$PIXELSIEVE_SOURCE_DIR/packaging/man"
# The page's source with the roff escapes a reader does not see undone, for text searches.
plain_source() { sed -e 's/\\-/-/g; s/\\&//g; s/\\(aq/'"'"'/g' "$1"; }

for page in "$pages"/*.1; do
    name=$(basename "$page" .1)
    sed "s/@PROJECT_VERSION@/$PIXELSIEVE_VERSION/g" "$page" >"$INST_TMP/$name.1"
    inst_render_manual "$INST_TMP/$name.1" >"$INST_TMP/$name.txt"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES "SEE ALSO"; do
        grep -qx "$section" "$INST_TMP/$name.txt" || inst_fail "$name.1 has no $section section"
    done
    long=$(python3 -c 'import sys; print("".join(l for l in open(sys.argv[1], encoding="utf-8") if len(l.rstrip("\n")) > 80))' "$INST_TMP/$name.txt")
    [ -z "$long" ] || inst_fail "$name.1 has lines wider than 80 columns: $long"
done

# The viewer's page: keys, mouse and the settings file, and every menu, menu item with its
# shortcut and check box as the window builds them.
viewer="$INST_TMP/pixelsieve.txt"
for section in KEYS MOUSE FILES; do
    grep -qx "$section" "$viewer" || inst_fail "pixelsieve.1 has no $section section"
done
grep -q 'pv2\.ini' "$viewer" || inst_fail "pixelsieve.1 does not name pv2.ini"
plain_source "$pages/pixelsieve.1" >"$INST_TMP/pixelsieve.plain"
grep -rhoE --include='*.cpp' '(addMenuItem|addMenuTitle|openSubmenu|createCheckBox)\([^"]*"[^"]*"' "$PIXELSIEVE_SOURCE_DIR/app" |
    sed 's/^[^"]*"//; s/"$//' >"$INST_TMP/menu_texts"
[ "$(wc -l <"$INST_TMP/menu_texts")" -ge 10 ] || inst_fail "found only $(wc -l <"$INST_TMP/menu_texts") menu texts in app/"
while IFS= read -r text; do
    label=${text%%\\t*}
    grep -qF -- "$label" "$INST_TMP/pixelsieve.plain" || inst_fail "pixelsieve.1 does not describe '$label'"
    if [ "$label" != "$text" ]; then
        shortcut=${text#*\\t}
        grep -qF -- "$shortcut" "$INST_TMP/pixelsieve.plain" ||
            inst_fail "pixelsieve.1 does not describe the shortcut $shortcut of '$label'"
    fi
done <"$INST_TMP/menu_texts"

# The command-line page against the installed program's own help, once it is installed.
if [[ " $PIXELSIEVE_PROGRAMS " == *" pixelsieve-cli "* ]]; then
    inst_install "$INST_TMP/dest"
    cli="$INST_TMP/dest$INST_PREFIX/bin/pixelsieve-cli"
    plain_source "$pages/pixelsieve-cli.1" >"$INST_TMP/cli.plain"
    "$cli" --help >"$INST_TMP/help" 2>&1 || inst_fail "pixelsieve-cli --help failed: $(cat "$INST_TMP/help")"
    commands=$(awk '/^Subcommands:/ { on = 1; next } on && NF == 0 { on = 0 } on { print $1 }' "$INST_TMP/help")
    for command in render sheet export widths scan find; do
        grep -qx "$command" <<<"$commands" || inst_fail "pixelsieve-cli --help does not list $command: $(cat "$INST_TMP/help")"
    done
    for command in $commands; do
        grep -qx "\.SS $command" "$INST_TMP/cli.plain" || inst_fail "pixelsieve-cli.1 has no section for $command"
        "$cli" "$command" --help >"$INST_TMP/help.$command" 2>&1 ||
            inst_fail "pixelsieve-cli $command --help failed: $(cat "$INST_TMP/help.$command")"
        for option in $(grep -o -- '--[a-z][a-z0-9-]*' "$INST_TMP/help.$command" | sort -u); do
            grep -qF -- "$option" "$INST_TMP/cli.plain" ||
                inst_fail "pixelsieve-cli.1 does not describe $option of $command"
        done
    done
fi
inst_log "manual pages render cleanly: $(cd "$pages" && echo *.1)"
