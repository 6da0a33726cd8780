#!/usr/bin/env bash
# The Debian package as ./package.sh makes it, built by CPack into a folder of its own: the
# name, the file list with owners and modes, the control fields, the icons' sizes, lintian
# without errors and desktop-file-validate without a word. It stays in KOTOPA_DEB_DIR for
# the end-to-end case that installs and starts it (e2e.sh package).
# Environment (set by tests/package/CMakeLists.txt): KOTOPA_BUILD (the build tree),
# KOTOPA_SOURCE (the sources), KOTOPA_VERSION (the project's) and KOTOPA_DEB_DIR.
set -euo pipefail

: "${KOTOPA_BUILD:?}" "${KOTOPA_SOURCE:?}" "${KOTOPA_VERSION:?}" "${KOTOPA_DEB_DIR:?}"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$KOTOPA_DEB_DIR"
mkdir -p "$KOTOPA_DEB_DIR"
cpack -G DEB -B "$KOTOPA_DEB_DIR" --config "$KOTOPA_BUILD/CPackConfig.cmake" >"$KOTOPA_DEB_DIR/cpack.log" 2>&1 ||
    { cat "$KOTOPA_DEB_DIR/cpack.log" >&2; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb="$KOTOPA_DEB_DIR/kotopa_${KOTOPA_VERSION}_${arch}.deb"
[ -f "$deb" ] || fail "no $deb: $(ls "$KOTOPA_DEB_DIR")"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

# --- the files -----------------------------------------------------------------------------

icon_sizes=(16 22 24 32 48 64 128 256)
expected_files() {
    local f size
    echo ./usr/bin/kotopa
    echo ./usr/bin/kotopa-tool
    echo ./usr/lib/kotopa/kotopa
    echo ./usr/lib/kotopa/kotopa_sound.so
    echo ./usr/lib/kotopa/kotopa.chm
    for f in "$KOTOPA_SOURCE"/data/key/* "$KOTOPA_SOURCE"/data/ktp/* "$KOTOPA_SOURCE"/data/system/*; do
        echo "./usr/lib/kotopa/${f#"$KOTOPA_SOURCE"/data/}"
    done
    for f in "$KOTOPA_SOURCE"/data-src/help/*.html "$KOTOPA_SOURCE"/data-src/help/*.png; do
        echo "./usr/lib/kotopa/help/$(basename "$f")"
    done
    echo ./usr/share/applications/kotopa.desktop
    for size in "${icon_sizes[@]}"; do echo "./usr/share/icons/hicolor/${size}x${size}/apps/kotopa.png"; done
    echo ./usr/share/man/man1/kotopa.1.gz
    echo ./usr/share/man/man1/kotopa-tool.1.gz
    echo ./usr/share/doc/kotopa/copyright
    echo ./usr/share/doc/kotopa/changelog.gz
    echo ./usr/share/lintian/overrides/kotopa
}
dpkg-deb -c "$deb" >"$KOTOPA_DEB_DIR/contents"
diff <(expected_files | sort) <(awk '$1 !~ /^d/ { print $6 }' "$KOTOPA_DEB_DIR/contents" | sort) ||
    fail "the package's files differ from the list (< expected, > packaged)"

awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$KOTOPA_DEB_DIR/contents" || fail "files not owned by root"
grep -Eq '^lrwxrwxrwx .* \./usr/bin/kotopa -> \.\./lib/kotopa/kotopa$' "$KOTOPA_DEB_DIR/contents" ||
    fail "/usr/bin/kotopa is not a link to the program"
awk '$1 ~ /^-/ {
        exec = ($6 == "./usr/lib/kotopa/kotopa" || $6 == "./usr/bin/kotopa-tool")
        if ($1 != (exec ? "-rwxr-xr-x" : "-rw-r--r--")) { print; bad = 1 }
    }
    $1 ~ /^d/ && $1 != "drwxr-xr-x" { print; bad = 1 }
    END { exit bad }' "$KOTOPA_DEB_DIR/contents" || fail "files with the wrong modes"

# --- the control fields ----------------------------------------------------------------------

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kotopa ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$KOTOPA_VERSION" ] || fail "Version: $(field Version), not the project's $KOTOPA_VERSION"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = education ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# The font by name, the libraries as dpkg-shlibdeps found them (with their versions).
for dep in fonts-ipafont-gothic 'libc6 (>=' 'libqt6core6 (>=' 'libqt6gui6 (>=' 'libqt6widgets6 (>=' \
    'libpulse0 (>=' 'libstdc++6 (>='; do
    [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done
[[ "$(field Recommends)" == *xdg-utils* ]] || fail "Recommends: $(field Recommends)"
[ "$(field Description | head -n1)" = "touch-typing trainer for Japanese typed as romaji" ] ||
    fail "Description: $(field Description | head -n1)"
[ "$(field Installed-Size)" -gt 0 ] || fail "Installed-Size"

# --- what is inside ------------------------------------------------------------------------

root="$KOTOPA_DEB_DIR/root"
dpkg-deb -x "$deb" "$root"
be32() { od -An -tu1 -j "$2" -N 4 "$1" | awk '{ print ((($1 * 256 + $2) * 256 + $3) * 256 + $4) }'; }
for size in "${icon_sizes[@]}"; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/kotopa.png"
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    [ "$(be32 "$png" 16)x$(be32 "$png" 20)" = "${size}x${size}" ] || fail "$png is not ${size}x${size}"
done
cmp -s "$root/usr/lib/kotopa/key/mykey.key" "$KOTOPA_SOURCE/data/key/mykey.key" || fail "key/mykey.key differs"
[ "$(zcat "$root/usr/share/doc/kotopa/changelog.gz" | head -n1)" = "kotopa ($KOTOPA_VERSION) unstable; urgency=medium" ] ||
    fail "changelog: $(zcat "$root/usr/share/doc/kotopa/changelog.gz" | head -n1)"
grep -q "KotoPA $KOTOPA_VERSION" <<<"$(zcat "$root/usr/share/man/man1/kotopa.1.gz")" || fail "kotopa(1) lacks the version"

# --- the checkers --------------------------------------------------------------------------

desktop_out=$(desktop-file-validate "$root/usr/share/applications/kotopa.desktop" 2>&1) ||
    fail "desktop-file-validate: $desktop_out"
[ -z "$desktop_out" ] || fail "desktop-file-validate: $desktop_out"
grep -qx 'Categories=Education;Languages;' "$root/usr/share/applications/kotopa.desktop" || fail "not in Education"

lintian_out=$(lintian --fail-on error "$deb" 2>&1) || { echo "$lintian_out" >&2; fail "lintian found errors"; }
echo "lintian:"
echo "$lintian_out" | sed 's/^/  /'
! grep -q '^E:' <<<"$lintian_out" || fail "lintian errors"
echo "PASS: package"
