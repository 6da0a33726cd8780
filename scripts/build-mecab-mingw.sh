#!/usr/bin/env bash
# Builds MeCab for 64-bit Windows, the analyser that making Acts reads Japanese text with, from
# Debian's own source package (mecab) with Debian's MinGW-w64, and compiles the IPA dictionary
# in UTF-8 once for the Windows program folder. About 2 minutes on two cores.
#
#   scripts/build-mecab-mingw.sh [WORK [STEP...]]   WORK: build/mecab-mingw by default; STEP:
#                                                 sources, library, dictionary, licence (all)
#
# Result: the prefix WORK/mecab-0.996-mingw64/ with include/mecab.h, lib/libmecab.a (static;
# users define MECAB_STATIC) and dic/ipadic-utf8/, the dictionary the program ships in its
# folder's dic/, with its licence (COPYING) and MeCab's (MECAB-COPYING): MeCab may be had
# under the GPL, the LGPL or the BSD licence, and the program ships it under the BSD one. scripts/windows.sh runs this script when that prefix is missing and links
# kotopa.exe and kotopa-tool.exe with it (KOTOPA_MINGW_MECAB names another prefix).
#
# The source comes through apt with a deb-src entry of this script's own (the system's apt
# sources are not touched); only the orig tarball is used, checked against the .dsc's SHA-256.
# The dictionary is Debian's mecab-ipadic (its sources in /usr/share/mecab/dic/ipadic, in
# EUC-JP) compiled to UTF-8 with the host's mecab-dict-index (mecab-utils), as Debian's
# mecab-ipadic-utf8 compiles it for Linux. Each step skips what exists; delete its output to
# redo it. Needs: g++-mingw-w64-x86-64-posix cmake ninja-build mecab-ipadic mecab-utils.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
W=$(realpath -m "${1:-$root/build/mecab-mingw}")
[ $# -gt 0 ] && shift
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(sources library dictionary licence)
J=${J:-$(nproc)}
version=0.996
prefix=$W/mecab-$version-mingw64
toolchain=$root/cmake/mingw-w64-x86_64-posix.cmake
mkdir -p "$W/logs"

step() { echo "== MeCab for Windows: $* ($(date +%H:%M:%S))"; }
source "$root/scripts/debian-source.sh"
log() { "$@" >"$W/logs/$log_name.log" 2>&1 || { echo "failed; see $W/logs/$log_name.log" >&2; exit 1; }; }

# --- sources ---------------------------------------------------------------------------------
fetch_sources() {
    [ -f "$W/mecab.tar.gz" ] && return
    step "source from Debian"
    mkdir -p "$W/src"
    debian_source_apt "$W"
    local opts=("${debian_apt_opts[@]}")
    # Only the .dsc and the orig tarball are needed: a mirror that lacks Debian's own patch
    # tarball does not stop the build.
    (cd "$W/src" && apt-get "${opts[@]}" source --download-only mecab >"$W/logs/apt-source.log" 2>&1) || true
    local dsc orig sum
    dsc=$(ls "$W"/src/mecab_$version-*.dsc 2>/dev/null | head -n1)
    orig=$W/src/mecab_$version.orig.tar.gz
    [ -n "$dsc" ] && [ -f "$orig" ] ||
        { echo "apt-get source mecab failed; see $W/logs/apt-source.log" >&2; exit 1; }
    sum=$(sed -n '/^Checksums-Sha256:/,/^[^ ]/p' "$dsc" | awk '$3 ~ /orig\.tar/ {print $1}')
    echo "$sum  $orig" | sha256sum -c --quiet - ||
        { echo "$orig does not match $(basename "$dsc")" >&2; exit 1; }
    ln -sf "$orig" "$W/mecab.tar.gz"
}

# --- the library -----------------------------------------------------------------------------
build_library() {
    [ -f "$prefix/lib/libmecab.a" ] && [ -f "$prefix/include/mecab.h" ] && return
    local src=$W/mecab-$version build=$W/build
    if [ ! -d "$src" ]; then
        step "unpacking"
        tar xzf "$W/mecab.tar.gz" -C "$W"
        # The library linked into the program rather than loaded as a DLL.
        patch -d "$src" -p1 <"$root/scripts/mecab-mingw/mecab-static.patch" >/dev/null
    fi
    step "building the library"
    local generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    log_name=configure log cmake -S "$root/scripts/mecab-mingw" -B "$build" "${generator[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DMECAB_SOURCE="$src" -DCMAKE_INSTALL_PREFIX="$prefix"
    log_name=build log cmake --build "$build" --parallel "$J"
    log_name=install log cmake --install "$build"
}

# --- the dictionary --------------------------------------------------------------------------
build_dictionary() {
    local dic=$prefix/dic/ipadic-utf8 ipadic=/usr/share/mecab/dic/ipadic
    local index=/usr/lib/mecab/mecab-dict-index
    [ -f "$dic/sys.dic" ] && [ -f "$dic/dicrc" ] && [ -f "$dic/COPYING" ] && return
    [ -f "$ipadic/dicrc" ] || { echo "no $ipadic: install the Debian package mecab-ipadic" >&2; exit 1; }
    [ -x "$index" ] || { echo "no $index: install the Debian package mecab-utils" >&2; exit 1; }
    step "compiling the IPA dictionary in UTF-8"
    rm -rf "$dic.new"
    mkdir -p "$dic.new"
    log_name=dictionary log "$index" -d "$ipadic" -o "$dic.new" -f EUC-JP -t UTF-8
    sed 's/^config-charset = .*/config-charset = UTF-8/' "$ipadic/dicrc" >"$dic.new/dicrc"
    # Its licence asks that every copy carries the copyright notice and the licence.
    cp /usr/share/doc/mecab-ipadic/copyright "$dic.new/COPYING"
    local f
    for f in sys.dic unk.dic matrix.bin char.bin dicrc COPYING; do
        [ -s "$dic.new/$f" ] || { echo "the dictionary lacks $f; see $W/logs/dictionary.log" >&2; exit 1; }
    done
    rm -rf "$dic"
    mv "$dic.new" "$dic"
}

# --- MeCab's licence, beside the dictionary's -------------------------------------------------
# MeCab's own word on its licences (COPYING of its source), then the text of the BSD licence
# (its file BSD), under which the program ships it: a binary copy must carry them.
write_licence() {
    local out=$prefix/dic/ipadic-utf8/MECAB-COPYING
    [ -s "$out" ] && return
    step "MeCab's licence"
    local copying bsd
    copying=$(tar xzf "$W/mecab.tar.gz" -O "mecab-$version/COPYING")
    bsd=$(tar xzf "$W/mecab.tar.gz" -O "mecab-$version/BSD")
    grep -q 'BSD License' <<<"$copying" && grep -q '^Redistribution and use' <<<"$bsd" ||
        { echo "MeCab's source holds no BSD licence (COPYING, BSD)" >&2; exit 1; }
    {
        printf 'MeCab %s, built into kotopa.exe and kotopa-tool.exe

' "$version"
        printf '%s
' "$copying" | sed 's/$//'
        printf '
KotoPA ships MeCab under the BSD License, which follows (the file BSD of
'
        printf "MeCab's source).

"
        printf '%s
' "$bsd" | sed 's/$//'
    } >"$out.new"
    mv "$out.new" "$out"
}

start=$SECONDS
for s in "${steps[@]}"; do
    case $s in
        sources) fetch_sources ;;
        library) build_library ;;
        dictionary) build_dictionary ;;
        licence) write_licence ;;
        *) echo "unknown step $s" >&2; exit 2 ;;
    esac
done
[ $((SECONDS - start)) -lt 2 ] || echo "MeCab for Windows in $prefix ($((SECONDS - start)) s," \
    "$(du -sm "$prefix" | cut -f1) MB)"
