#!/usr/bin/env bash
# kotopa-tool.exe make under Wine, as a user runs it from the unpacked zip: the program folder
# (kotopa-tool.exe, dic/ipadic-utf8, key/mykey.key) under a name with Japanese and a blank,
# a text of five sentences in a file with a Japanese name, the Act written beside it with the
# dictionary and the key table the program folder has. The Act must be the expected one, byte
# for byte, and the native kotopa-tool (when given) must make the same from the same text.
#   make-wine.sh TOOL.exe EXPECTED.ktp [NATIVE_TOOL]
# Environment: WINEPREFIX (a running Wine session).
set -euo pipefail
tool=$1 expected=$2 native=${3:-}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
work=$(mktemp -d "${TMPDIR:-/tmp}/kotopa-make.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prog="$work/練習 フォルダ/KotoPA"
mkdir -p "$prog/ktp" "$prog/key"
cp "$tool" "$prog/kotopa-tool.exe"
dic=$(dirname "$tool")/dic/ipadic-utf8
[ -f "$dic/sys.dic" ] || fail "no dictionary beside $tool ($dic)"
mkdir -p "$prog/dic"
cp -al "$dic" "$prog/dic/" 2>/dev/null || cp -a "$dic" "$prog/dic/"
cp "$(dirname "$0")/../../data/key/mykey.key" "$prog/key/mykey.key"
printf '%s\n' '今日は良い天気です。' '私は毎朝、公園を散歩します。' \
    '駅の近くに新しい本屋ができました。' '週末は友達と映画を見に行きます。' \
    '日本語の勉強は楽しいです。' >"$prog/ktp/散歩.txt"

# Run from elsewhere, so that the dictionary is found by the program's own folder.
(cd "$work" && wine "$prog/kotopa-tool.exe" make "$prog/ktp/散歩.txt" -o "$prog/ktp/散歩.ktp") \
    >"$work/out.txt" 2>&1 || fail "kotopa-tool.exe make failed: $(cat "$work/out.txt")"
grep -q '散歩.ktp: 7 lines' "$work/out.txt" || fail "unexpected report: $(cat "$work/out.txt")"
cmp "$prog/ktp/散歩.ktp" "$expected" ||
    fail "the Act differs from $expected: $(iconv -f SHIFT_JIS -t UTF-8 "$prog/ktp/散歩.ktp")"

if [ -n "$native" ] && [ -x "$native" ]; then
    "$native" make "$prog/ktp/散歩.txt" -o "$work/native.ktp" --keys "$prog/key/mykey.key" \
        >/dev/null || fail "the native kotopa-tool make failed"
    cmp "$work/native.ktp" "$prog/ktp/散歩.ktp" || fail "the native kotopa-tool makes another Act"
    echo "kotopa-tool.exe and the native kotopa-tool make the same Act"
else
    echo "no native kotopa-tool given: compared with $(basename "$expected") only"
fi

# Without the dictionary in the program folder, make says what is missing and writes nothing.
rm -rf "$prog/dic"
rm -f "$prog/ktp/散歩.ktp"
if (cd "$work" && wine "$prog/kotopa-tool.exe" make "$prog/ktp/散歩.txt" -o "$prog/ktp/散歩.ktp") \
    >"$work/out.txt" 2>&1; then
    fail "make succeeded without a dictionary"
fi
grep -q 'cannot open the dictionary' "$work/out.txt" || fail "no reason given: $(cat "$work/out.txt")"
[ ! -e "$prog/ktp/散歩.ktp" ] || fail "an Act was written without a dictionary"
echo "kotopa-tool.exe make: the expected Act, from the program folder's dictionary"
