#!/usr/bin/env bash
# Installs the build into a DESTDIR and checks the tree as a desktop would read it: exactly the
# expected files, executables executable, every icon size a PNG of that size, the desktop entry
# and the AppStream data valid and pointing at what is installed, the manual pages rendering
# without a warning.
source "$(dirname "$0")/lib.sh"
inst_setup
for tool in desktop-file-validate appstreamcli man python3; do
    command -v "$tool" >/dev/null || inst_fail "$tool is not installed (scripts/setup installs it)"
done

dest="$INST_TMP/dest"
inst_install "$dest"
root="$dest$INST_PREFIX"

inst_expected_files | sort >"$INST_TMP/expected"
(cd "$root" && find . -type f -o -type l) | sed 's|^\./||' | sort >"$INST_TMP/actual"
inst_compare_lists "installed files" "$INST_TMP/expected" "$INST_TMP/actual"
# Nothing may land outside the prefix.
outside=$(cd "$dest" && find . -mindepth 1 -maxdepth 1 ! -name "${INST_PREFIX#/}")
[ -z "$outside" ] || inst_fail "installed outside $INST_PREFIX: $outside"

for program in $PIXELSIEVE_PROGRAMS; do
    [ -x "$root/bin/$program" ] || inst_fail "bin/$program is not executable"
    file -L "$root/bin/$program" | grep -q 'ELF 64-bit.*executable' ||
        inst_fail "bin/$program is not an executable: $(file -L "$root/bin/$program")"
done
while read -r path; do
    case "$path" in bin/*) continue ;; esac
    mode=$(stat -c %a "$root/$path")
    [ "$mode" = 644 ] || inst_fail "$path has mode $mode, expected 644"
done <"$INST_TMP/expected"

# Icons: each size is a PNG of that size with an alpha channel (the rounded corners are clear);
# the scalable one is an SVG document.
for size in $INST_ICON_SIZES; do
    png="$root/share/icons/hicolor/${size}x${size}/apps/$PIXELSIEVE_APP_ID.png"
    read -r w h colour < <(inst_png_header "$png")
    [ "$w $h" = "$size $size" ] || inst_fail "the ${size}x$size icon is ${w}x$h"
    [ "$colour" = 6 ] || inst_fail "the ${size}x$size icon has PNG colour type $colour, not RGBA"
done
svg="$root/share/icons/hicolor/scalable/apps/$PIXELSIEVE_APP_ID.svg"
python3 -c "
import sys, xml.etree.ElementTree as et
root = et.parse(sys.argv[1]).getroot()
sys.exit(0 if root.tag == '{http://www.w3.org/2000/svg}svg' else 'not an SVG document')" "$svg" ||
    inst_fail "the scalable icon is not an SVG document"

# The desktop entry: valid, and it starts an installed program with the file it is given,
# under an icon that is installed, for any file.
desktop="$root/share/applications/$PIXELSIEVE_APP_ID.desktop"
desktop-file-validate "$desktop" >"$INST_TMP/desktop.log" 2>&1 ||
    inst_fail "desktop-file-validate: $(cat "$INST_TMP/desktop.log")"
if grep -v ': hint: ' "$INST_TMP/desktop.log" | grep -q .; then
    inst_fail "desktop-file-validate warns: $(cat "$INST_TMP/desktop.log")"
fi
exec_line=$(inst_desktop_value "$desktop" Exec)
[ "$exec_line" = "pixelsieve %f" ] || inst_fail "Exec is '$exec_line'"
[ -x "$root/bin/${exec_line%% *}" ] || inst_fail "Exec names ${exec_line%% *}, which is not installed"
[ "$(inst_desktop_value "$desktop" Icon)" = "$PIXELSIEVE_APP_ID" ] || inst_fail "Icon is not $PIXELSIEVE_APP_ID"
categories=";$(inst_desktop_value "$desktop" Categories)"
for category in Development Graphics; do
    [[ "$categories" == *";$category;"* ]] || inst_fail "Categories lacks $category: $categories"
done
[[ ";$(inst_desktop_value "$desktop" MimeType)" == *";application/octet-stream;"* ]] ||
    inst_fail "MimeType does not offer application/octet-stream"

# The AppStream data: valid without the network, and consistent with the tree.
metainfo="$root/share/metainfo/$PIXELSIEVE_APP_ID.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$INST_TMP/appstream.log" 2>&1 ||
    inst_fail "appstreamcli validate: $(cat "$INST_TMP/appstream.log")"
if grep -q '^[EW]:' "$INST_TMP/appstream.log"; then
    inst_fail "appstreamcli validate warns: $(cat "$INST_TMP/appstream.log")"
fi
# The whole tree as a software centre reads it: the metainfo with its desktop entry.
appstreamcli validate-tree --no-net "$root" >"$INST_TMP/tree.log" 2>&1 ||
    inst_fail "appstreamcli validate-tree: $(cat "$INST_TMP/tree.log")"
python3 - "$metainfo" "$PIXELSIEVE_APP_ID" "$PIXELSIEVE_VERSION" "$PIXELSIEVE_PROGRAMS" <<'EOF' ||
import sys, xml.etree.ElementTree as et
path, app_id, version, programs = sys.argv[1:]
c = et.parse(path).getroot()
problems = []
def want(what, got, expected):
    if got != expected:
        problems.append("%s is %r, expected %r" % (what, got, expected))
want("id", c.findtext("id"), app_id)
want("launchable", c.findtext("launchable"), app_id + ".desktop")
want("provided binaries", sorted(b.text for b in c.iter("binary")), sorted(programs.split()))
want("release", [r.get("version") for r in c.iter("release")][:1], [version])
shots = [i.text for i in c.iter("image")]
if not shots or not all(s.startswith("https://") and s.endswith("/docs/screenshot.png") for s in shots):
    problems.append("screenshots: %r" % shots)
if c.find("content_rating") is None:
    problems.append("no content rating")
description = c.find("description")
if description is None or not "".join(description.itertext()).strip():
    problems.append("no description")
if problems:
    sys.exit("; ".join(problems))
EOF
    inst_fail "the AppStream data does not match the installed tree"

# Manual pages, as installed (compressed).
for program in $PIXELSIEVE_PROGRAMS; do
    page="$root/share/man/man1/$program.1.gz"
    inst_render_manual "$page" >"$INST_TMP/$program.txt"
    head -n1 "$INST_TMP/$program.txt" | grep -qi "^${program}(1)" ||
        inst_fail "$program.1.gz does not render as $program(1): $(head -n1 "$INST_TMP/$program.txt")"
    grep -q "Pixelsieve $PIXELSIEVE_VERSION" "$INST_TMP/$program.txt" ||
        inst_fail "$program.1.gz does not carry the version $PIXELSIEVE_VERSION"
done

inst_log "$(wc -l <"$INST_TMP/expected") files in place under $INST_PREFIX"
