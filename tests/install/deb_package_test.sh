#!/usr/bin/env bash
# The Debian package built by CPack from this build's binaries (scripts/package builds the same
# from a Release build): its name and control fields, exactly the installed tree's files with
# root ownership and the right modes, and a Depends line that names the package of every
# library the programs load.
source "$(dirname "$0")/lib.sh"
inst_setup
for tool in cpack dpkg-deb dpkg-shlibdeps readelf; do
    command -v "$tool" >/dev/null || inst_fail "$tool is not installed (scripts/setup installs it)"
done

out="$INST_TMP/package"
cpack --config "$PIXELSIEVE_BUILD_DIR/CPackConfig.cmake" -B "$out" >"$INST_TMP/cpack.log" 2>&1 ||
    inst_fail "cpack failed: $(cat "$INST_TMP/cpack.log")"
deb="$out/pixelsieve_${PIXELSIEVE_VERSION}_amd64.deb"
[ -f "$deb" ] || inst_fail "no $(basename "$deb"); cpack made: $(cd "$out" && echo *.deb)"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = pixelsieve ] || inst_fail "Package is $(field Package)"
[ "$(field Version)" = "$PIXELSIEVE_VERSION" ] || inst_fail "Version is $(field Version)"
[ "$(field Architecture)" = amd64 ] || inst_fail "Architecture is $(field Architecture)"
for name in Maintainer Section Priority Homepage; do
    [ -n "$(field "$name")" ] || inst_fail "the control file has no $name"
done
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || inst_fail "Maintainer is not 'Name <address>': $(field Maintainer)"
description=$(field Description)
[ "$(wc -l <<<"$description")" -ge 3 ] || inst_fail "Description has no long text: $description"
dpkg-deb --info "$deb" >"$INST_TMP/info"
grep -q '^ Depends: ' "$INST_TMP/info" || inst_fail "dpkg-deb --info lists no Depends: $(cat "$INST_TMP/info")"

# Contents: the same files as the DESTDIR install, owned by root, executables 755, the rest 644.
dpkg-deb --contents "$deb" >"$INST_TMP/contents"
awk '$1 !~ /^d/ { sub("^\\./usr/", "", $6); print $6 }' "$INST_TMP/contents" | sort >"$INST_TMP/actual"
inst_expected_files | sort >"$INST_TMP/expected"
inst_compare_lists "package contents" "$INST_TMP/expected" "$INST_TMP/actual"
bad_owner=$(awk '$2 != "root/root"' "$INST_TMP/contents")
[ -z "$bad_owner" ] || inst_fail "entries not owned by root: $bad_owner"
bad_mode=$(awk '$1 !~ /^d/ && (($6 ~ /\/bin\// && $1 != "-rwxr-xr-x") || ($6 !~ /\/bin\// && $1 != "-rw-r--r--"))' "$INST_TMP/contents")
[ -z "$bad_mode" ] || inst_fail "entries with wrong modes: $bad_mode"
outside=$(awk '$6 !~ /^\.\/usr\//' "$INST_TMP/contents")
[ -z "$outside" ] || inst_fail "entries outside /usr: $outside"

# Depends: every library a program links directly, resolved on this system, belongs to a package
# the Depends line names.
depends=$(field Depends)
checked=0
dpkg-deb -x "$deb" "$INST_TMP/root"
for program in $PIXELSIEVE_PROGRAMS; do
    binary="$INST_TMP/root/usr/bin/$program"
    file "$binary" | grep -q ', stripped' || inst_fail "usr/bin/$program is not stripped"
    ldd "$binary" >"$INST_TMP/ldd" 2>&1 || inst_fail "ldd $program: $(cat "$INST_TMP/ldd")"
    ! grep -q 'not found' "$INST_TMP/ldd" || inst_fail "$program misses libraries: $(grep 'not found' "$INST_TMP/ldd")"
    for library in $(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(awk -v lib="$library" '$1 == lib && $2 == "=>" { print $3 }' "$INST_TMP/ldd")
        [ -n "$path" ] || inst_fail "$program: $library not resolved by ldd"
        owner=""
        for candidate in "$path" "$(readlink -f "$path")" "/usr$path" "${path#/usr}"; do
            owner=$(dpkg -S "$candidate" 2>/dev/null | head -n1 | cut -d: -f1) && [ -n "$owner" ] && break
        done
        [ -n "$owner" ] || inst_fail "$program: no package owns $path"
        [[ ", $depends," == *", $owner "* || ", $depends," == *", $owner,"* ]] || inst_fail "$program links $library from $owner, which Depends does not name: $depends"
        checked=$((checked + 1))
    done
done
[ "$checked" -gt 0 ] || inst_fail "no linked library was found to check"
inst_log "$(basename "$deb"): $(wc -l <"$INST_TMP/expected") files; $checked linked libraries covered by Depends: $depends"
