#!/usr/bin/env bash
# KotoPA for Windows, cross-built on Debian with MinGW-w64 and run under Wine.
#
#   scripts/windows.sh test    cross-build the core, kotopa-tool and their tests into build/win
#                            and run them under Wine; with a MinGW Qt (below) also kotopa.exe
#                            and its end-to-end test under Wine on Xvfb
#   scripts/windows.sh build   kotopa.exe and kotopa-tool.exe (needs the MinGW Qt)
#   scripts/windows.sh zip     build/win/kotopa-<version>-windows.zip: kotopa.exe, kotopa-tool.exe,
#                            key/, ktp/, system/, kotopa.chm and README.txt, ready to unpack and
#                            run; with makensis also build/win/kotopa-<version>-setup.exe
#
# The MinGW Qt comes from KOTOPA_MINGW_QT: an installed Qt prefix (with
# lib/cmake/Qt6/qt.toolchain.cmake), a .tar.gz of one, or a folder that holds such a tarball;
# a relative path counts from the checkout. A tarball is unpacked into build/qt-mingw/.
# scripts/build-qt-mingw.sh makes one from Debian's sources. Without it the program itself is
# not built, and the test run says so.
#
# MeCab, which making Acts reads Japanese text with, is linked in statically, and its IPA
# dictionary goes into the program folder (dic/ipadic-utf8). It comes from KOTOPA_MINGW_MECAB:
# a prefix of scripts/build-mecab-mingw.sh; by default build/mecab-mingw/, which that script
# builds when it is missing (about 2 minutes, once); "off" builds without it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/win
jobs=$(nproc)

die() {
    echo "windows.sh: $*" >&2
    exit 2
}

# The Qt prefix named by KOTOPA_MINGW_QT, unpacked when it is a tarball; empty without one.
qt_prefix() {
    local given=${KOTOPA_MINGW_QT:-} tarball=""
    [ -n "$given" ] || return 0
    [[ "$given" = /* ]] || given=$root/$given
    if [ -f "$given/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
        echo "$given"
        return 0
    fi
    if [ -d "$given" ]; then
        local found=("$given"/*.tar.gz)
        [ -f "${found[0]}" ] && [ ${#found[@]} -eq 1 ] ||
            die "KOTOPA_MINGW_QT=$KOTOPA_MINGW_QT holds no Qt prefix and not exactly one .tar.gz"
        tarball=${found[0]}
    elif [ -f "$given" ]; then
        tarball=$given
    else
        die "KOTOPA_MINGW_QT=$KOTOPA_MINGW_QT does not exist"
    fi
    local unpacked=$root/build/qt-mingw stamp
    stamp="$(basename "$tarball") $(stat -c '%s %Y' "$tarball")"
    if [ "$(cat "$unpacked/stamp" 2>/dev/null)" != "$stamp" ]; then
        echo "Unpacking $(basename "$tarball") into build/qt-mingw/" >&2
        rm -rf "$unpacked"
        mkdir -p "$unpacked"
        tar xzf "$tarball" -C "$unpacked"
        echo "$stamp" >"$unpacked/stamp"
    fi
    local toolchain
    toolchain=$(find "$unpacked" -maxdepth 5 -path '*/lib/cmake/Qt6/qt.toolchain.cmake' | head -n1)
    [ -n "$toolchain" ] || die "$(basename "$tarball") holds no Qt 6 (lib/cmake/Qt6/qt.toolchain.cmake)"
    dirname "$(dirname "$(dirname "$(dirname "$toolchain")")")"
}

# The MeCab prefix named by KOTOPA_MINGW_MECAB, built into build/mecab-mingw/ by default;
# empty when it is "off".
mecab_prefix() {
    local given=${KOTOPA_MINGW_MECAB:-}
    if [ "$given" = off ]; then
        return 0
    fi
    if [ -z "$given" ]; then
        bash "$root/scripts/build-mecab-mingw.sh" "$root/build/mecab-mingw" >&2 ||
            die "MeCab for Windows could not be built (scripts/build-mecab-mingw.sh; KOTOPA_MINGW_MECAB=off builds without it)"
        given=$root/build/mecab-mingw/mecab-0.996-mingw64
    fi
    [[ "$given" = /* ]] || given=$root/$given
    [ -f "$given/lib/libmecab.a" ] && [ -f "$given/include/mecab.h" ] &&
        [ -f "$given/dic/ipadic-utf8/sys.dic" ] ||
        die "KOTOPA_MINGW_MECAB=$given holds no lib/libmecab.a, include/mecab.h and dic/ipadic-utf8/"
    echo "$given"
}

# Configures build/win: with the Qt, the program and its tests too; the Wine prefix stays
# when the configuration changes.
configure() {
    local qt=$1 mecab=$2 args=(-DCMAKE_BUILD_TYPE=Release -DKOTOPA_BENCH=OFF)
    local chain=$root/cmake/mingw-w64-x86_64-posix.cmake
    if [ -n "$qt" ]; then
        args+=(-DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
            -DQT_CHAINLOAD_TOOLCHAIN_FILE="$chain" -DQT_HOST_PATH=/usr
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DKOTOPA_GUI=ON
            -DKOTOPA_X11_HELPER="${KOTOPA_X11_HELPER:-$root/build/tests/e2e/x11_helper}"
            -DKOTOPA_SOUND_PROBE="${KOTOPA_SOUND_PROBE:-$root/build/tests/e2e/sound_probe}"
            -DKOTOPA_NATIVE_TOOL="${KOTOPA_NATIVE_TOOL:-$root/build/tools/kotopa-tool}"
            -DKOTOPA_ARTIFACTS="$root/build/test-artifacts")
    else
        args+=(-DCMAKE_TOOLCHAIN_FILE="$chain" -DKOTOPA_GUI=OFF)
    fi
    if [ -n "$mecab" ]; then
        args+=(-DKOTOPA_WITH_MECAB=ON -DKOTOPA_MECAB_INCLUDE="$mecab/include"
            -DKOTOPA_MECAB_LIBRARY="$mecab/lib/libmecab.a" -DKOTOPA_MECAB_DIC="$mecab/dic/ipadic-utf8")
    else
        args+=(-DKOTOPA_WITH_MECAB=OFF)
    fi
    local config="${qt:-no Qt}, ${mecab:-no MeCab}"
    if [ "$(cat "$out/kotopa-config" 2>/dev/null)" != "$config" ]; then
        rm -rf "$out/CMakeCache.txt" "$out/CMakeFiles"
    fi
    local generator=()
    command -v ninja >/dev/null && [ ! -f "$out/Makefile" ] && generator=(-G Ninja)
    cmake -S "$root" -B "$out" "${generator[@]}" "${args[@]}" >/dev/null
    echo "$config" >"$out/kotopa-config"
}

command=${1:-test}
qt=$(qt_prefix)
mecab=$(mecab_prefix)
case $command in
    test)
        configure "$qt" "$mecab"
        cmake --build "$out" --parallel "$jobs"
        [ -n "$qt" ] || echo "Windows program: no MinGW Qt given (KOTOPA_MINGW_QT), so kotopa.exe" \
            "is not built and its end-to-end test is skipped; the core, kotopa-tool and their" \
            "tests run under Wine."
        ctest --test-dir "$out" --output-on-failure --parallel "$jobs"
        ;;
    build | zip)
        [ -n "$qt" ] || die "KOTOPA_MINGW_QT names no MinGW Qt (see scripts/build-qt-mingw.sh)"
        configure "$qt" "$mecab"
        cmake --build "$out" --parallel "$jobs" --target kotopa kotopa-tool
        echo "built $out/kotopa/kotopa.exe and $out/tools/kotopa-tool.exe"
        if [ "$command" = zip ]; then
            cmake --build "$out" --target kotopa_windows_zip
            ls "$out"/kotopa-*-windows.zip "$out"/kotopa-*-setup.exe 2>/dev/null | sed 's/^/wrote /' 
        fi
        ;;
    *)
        die "usage: scripts/windows.sh [test|build|zip]"
        ;;
esac
