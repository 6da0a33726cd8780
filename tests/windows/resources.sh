#!/usr/bin/env bash
# The icon and the version record of a Windows executable, read back with icoutils:
#   resources.sh PROGRAM.exe VERSION DESCRIPTION
# The icon group must hold every size of the program's icon in 32 bits, and the version record
# the product name, the file and product version (strings and numbers) and the description.
set -euo pipefail
exe=$1 version=$2 description=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "$exe: $*" >&2
    exit 1
}

wrestool -x --type=group_icon -o "$work/icon.ico" "$exe" 2>/dev/null ||
    fail "holds no icon group"
[ -s "$work/icon.ico" ] || fail "holds no icon group"
sizes=$(icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\) --bit-depth=32.*/\1x\2/p' |
    sort -n | tr '\n' ' ')
[ "$sizes" = "16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256 " ] ||
    fail "icon sizes are '$sizes'"
# The images decode: every one of them comes out as a PNG of its size.
icotool -x -o "$work" "$work/icon.ico" || fail "its icon does not decode"
[ "$(find "$work" -name '*.png' | wc -l)" -eq 8 ] || fail "its icon does not decode into 8 images"

wrestool -x --raw --type=version -o "$work/version.bin" "$exe" 2>/dev/null || fail "holds no version record"
[ -s "$work/version.bin" ] || fail "holds no version record"
# Each key and value is a NUL-ended UTF-16 string; a key's line starts with the binary words
# of its record, its value is the next text.
strings=$(iconv -f UTF-16LE -t UTF-8 -c <"$work/version.bin" | tr '\0' '\n' | grep -av '^$')
for pair in "ProductName=KotoPA" "FileVersion=$version" "ProductVersion=$version" \
    "FileDescription=$description" "OriginalFilename=$(basename "$exe")"; do
    key=${pair%%=*} value=${pair#*=}
    grep -qxF "$value" <<<"$(grep -a -A1 "$key\$" <<<"$strings" | sed -n 2p)" ||
        fail "version record: $key is not '$value'"
done
grep -q "Copyright" <<<"$strings" || fail "version record without a copyright"
# The numbers Explorer sorts by: VS_FIXEDFILEINFO's file version, major.minor.patch.tweak.
IFS=. read -r major minor patch tweak <<<"$version"
expect=$(printf '%08x%08x' $(((${major:-0} << 16) | ${minor:-0})) $(((${patch:-0} << 16) | ${tweak:-0})))
fixed=$(od -An -tx1 -v "$work/version.bin" | tr -d ' \n' | grep -o 'bd04effe.\{24\}' | head -n1)
[ -n "$fixed" ] || fail "version record without its fixed part"
# dwFileVersionMS and dwFileVersionLS, each little-endian.
ms=${fixed:16:8} ls=${fixed:24:8}
swap() { echo "${1:6:2}${1:4:2}${1:2:2}${1:0:2}"; }
[ "$(swap "$ms")$(swap "$ls")" = "$expect" ] || fail "file version numbers $(swap "$ms")$(swap "$ls"), not $expect"
echo "$exe: icon in 8 sizes, version $version"
