# Helpers for the install checks. Source it from a tests/install/*_test.sh script; CTest sets
# PIXELSIEVE_BUILD_DIR, PIXELSIEVE_SOURCE_DIR, PIXELSIEVE_VERSION, PIXELSIEVE_APP_ID and
# PIXELSIEVE_PROGRAMS (the installed programs, separated by blanks).
#   inst_setup                 temp dir $INST_TMP, removed on exit (kept on failure or INST_KEEP=1)
#   inst_install DESTDIR       installs the build tree under DESTDIR with the prefix /usr
#   inst_expected_files        every file the installed tree must hold, relative to the prefix
#   inst_fail MESSAGE          fails the test
set -euo pipefail

: "${PIXELSIEVE_BUILD_DIR:?}" "${PIXELSIEVE_SOURCE_DIR:?}" "${PIXELSIEVE_VERSION:?}"
: "${PIXELSIEVE_APP_ID:?}" "${PIXELSIEVE_PROGRAMS:?}"

INST_TMP=""
INST_PREFIX=/usr
INST_ICON_SIZES="16 32 48 64 128 256"

inst_log() { echo "install: $*" >&2; }

inst_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

_inst_cleanup() {
    local rc=$?
    if [ -n "$INST_TMP" ]; then
        if [ "${INST_KEEP:-0}" = 1 ] || [ $rc -ne 0 ]; then
            inst_log "kept $INST_TMP"
        else
            rm -rf "$INST_TMP"
        fi
    fi
    return $rc
}

inst_setup() {
    INST_TMP=$(mktemp -d "${TMPDIR:-/tmp}/pixelsieve-install.XXXXXX")
    trap _inst_cleanup EXIT
}

inst_install() {
    local destdir=$1
    DESTDIR="$destdir" cmake --install "$PIXELSIEVE_BUILD_DIR" --prefix "$INST_PREFIX" \
        >"$INST_TMP/install.log" 2>&1 || inst_fail "cmake --install failed: $(cat "$INST_TMP/install.log")"
}

inst_expected_files() {
    local program size
    for program in $PIXELSIEVE_PROGRAMS; do
        echo "bin/$program"
        echo "share/man/man1/$program.1.gz"
    done
    echo "share/applications/$PIXELSIEVE_APP_ID.desktop"
    echo "share/metainfo/$PIXELSIEVE_APP_ID.metainfo.xml"
    echo "share/icons/hicolor/scalable/apps/$PIXELSIEVE_APP_ID.svg"
    for size in $INST_ICON_SIZES; do
        echo "share/icons/hicolor/${size}x${size}/apps/$PIXELSIEVE_APP_ID.png"
    done
}

# Compares two sorted lists of paths, naming what is missing and what is unexpected.
inst_compare_lists() {
    local what=$1 expected=$2 actual=$3
    local missing extra
    missing=$(comm -23 "$expected" "$actual")
    extra=$(comm -13 "$expected" "$actual")
    if [ -n "$missing" ] || [ -n "$extra" ]; then
        inst_fail "$what: missing [${missing//$'\n'/ }], unexpected [${extra//$'\n'/ }]"
    fi
}

# Prints "WIDTH HEIGHT COLOUR_TYPE" of a PNG file, read from its header.
inst_png_header() {
    python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read(33)
if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
    sys.exit("not a PNG file: " + sys.argv[1])
width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
print(width, height, colour)
EOF
}

# Prints the value of KEY in the [Desktop Entry] group of a desktop file.
inst_desktop_value() {
    sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$2"'=//p}' "$1" | head -n1
}

# Renders a manual page the way man(1) shows it, at 80 columns; any warning of the formatter
# fails the test. Prints the rendered text.
inst_render_manual() {
    local page=$1 errors="$INST_TMP/man.err"
    MANWIDTH=80 man --warnings -l "$page" 2>"$errors" ||
        inst_fail "man could not render $page: $(cat "$errors")"
    [ ! -s "$errors" ] || inst_fail "man warns about $page: $(cat "$errors")"
}
