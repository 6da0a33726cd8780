#!/usr/bin/env bash
# Builds the static Qt 6.4.2 for 64-bit Windows that the Windows program links, from Debian's
# own source packages (qt6-base, qt6-multimedia) with Debian's MinGW-w64, on Debian 12.
# About 75 minutes on two cores; needs about 8 GB of disk.
#
#   scripts/build-qt-mingw.sh [WORK [STEP...]]   WORK: build/qt-mingw-src by default; STEP:
#                                              sources, qtbase, multimedia, package (all)
#
# Result: WORK/qt6.4.2-mingw64-static.tar.gz (the prefix qt6.4.2-mingw64-static/): Core, Gui,
# Widgets, Network (no TLS), Test, Multimedia with its Windows Media Foundation backend,
# MultimediaWidgets; the qwindows, qoffscreen and qminimal platforms, the windowsvista style.
# No ICU, OpenGL or Direct2D. Then:
#   KOTOPA_MINGW_QT=WORK/qt6.4.2-mingw64-static.tar.gz scripts/windows.sh zip
#
# The sources come through apt with a deb-src entry of this script's own (the system's apt
# sources are not touched); Debian's patch series is not applied, only the orig tarballs.
# Each step skips what exists; delete its output to redo it. CONFIGURE_ONLY=1 stops qtbase
# after its configuration. As root, or with sudo for the
# packages: g++-mingw-w64-x86-64-posix cmake ninja-build python3 dpkg-dev qt6-base-dev
# qt6-base-dev-tools qt6-shadertools-dev (the host moc, rcc, uic and qsb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
W=$(realpath -m "${1:-$root/build/qt-mingw-src}")
[ $# -gt 0 ] && shift
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(sources qtbase multimedia package)
J=${J:-$(nproc)}
name=qt6.4.2-mingw64-static
prefix=$W/$name
toolchain=$root/cmake/mingw-w64-x86_64-posix.cmake
hostcmake=/usr/lib/x86_64-linux-gnu/cmake
mkdir -p "$W/logs"

step() { echo "== $* ($(date +%H:%M:%S))"; }
source "$root/scripts/debian-source.sh"
log() { "$@" >"$W/logs/$log_name.log" 2>&1 || { echo "failed; see $W/logs/$log_name.log" >&2; exit 1; }; }

# --- sources ---------------------------------------------------------------------------------
fetch_sources() {
    [ -f "$W/qtbase.tar.xz" ] && [ -f "$W/qtmultimedia.tar.xz" ] && [ -f "$W/libwine-dev.deb" ] && return
    step "sources from Debian"
    mkdir -p "$W/src"
    debian_source_apt "$W"
    local opts=("${debian_apt_opts[@]}")
    (cd "$W/src" && log_name=apt-source log apt-get "${opts[@]}" source --download-only qt6-base qt6-multimedia)
    ln -sf "$(ls "$W"/src/qt6-base_6.4.2*.orig.tar.xz)" "$W/qtbase.tar.xz"
    ln -sf "$(ls "$W"/src/qt6-multimedia_6.4.2*.orig.tar.xz)" "$W/qtmultimedia.tar.xz"
    # Wine's LGPL wintab.h and pktdef.h, which qtbase's Windows plugin includes (Debian's
    # +dfsg tarball leaves Qt's own copies out).
    (cd "$W/src" && log_name=apt-download log apt-get download libwine-dev)
    ln -sf "$(ls "$W"/src/libwine-dev_*.deb | head -n1)" "$W/libwine-dev.deb"
}

# --- qtbase ----------------------------------------------------------------------------------
build_qtbase() {
    [ -f "$prefix/lib/libQt6Widgets.a" ] && return
    local src=$W/qtbase-everywhere-src-6.4.2 build=$W/qtbase-build
    if [ ! -d "$src" ]; then
        step "qtbase: unpacking"
        tar xJf "$W/qtbase.tar.xz" -C "$W"
        mkdir -p "$W/wine" "$src/src/3rdparty/wintab"
        dpkg-deb -x "$W/libwine-dev.deb" "$W/wine"
        cp "$W"/wine/usr/include/wine/wine/windows/wintab.h "$src/src/3rdparty/wintab/wine-wintab.h"
        cp "$W"/wine/usr/include/wine/wine/windows/pktdef.h "$src/src/3rdparty/wintab/pktdef.h"
        cat >"$src/src/3rdparty/wintab/wintab.h" <<'EOF'
/* Stands in for Qt's wintab.h: Wine's LGPL wintab.h declares the same Wintab API. MinGW-w64's
 * _mingw_dxhelper.h gives the A/W macros it uses; API is the calling convention Qt expects. */
#ifndef KOTOPA_WINTAB_H
#define KOTOPA_WINTAB_H
#include <windows.h>
#include <_mingw_dxhelper.h>
#ifndef API
#define API WINAPI
#endif
#include "wine-wintab.h"
#endif
EOF
        # Qt 6.4 links the DirectWrite font database into the Windows plugin whenever
        # directwrite3 is on, but builds it only with Direct2D, which is off here.
        patch -d "$src" -p1 <"$root/scripts/qt-mingw/qtbase-direct2d.patch"
    fi
    if [ ! -f "$build/build.ninja" ]; then
        step "qtbase: configuring"
        log_name=qtbase-configure log cmake -S "$src" -B "$build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=$hostcmake \
            -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
            -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON \
            -DFEATURE_network=ON -DFEATURE_ssl=OFF -DFEATURE_schannel=OFF \
            -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
            -DFEATURE_printsupport=OFF -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
            -DFEATURE_direct2d=OFF -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF \
            -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
            -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_jpeg=OFF
    fi
    [ -z "${CONFIGURE_ONLY:-}" ] || return 0
    step "qtbase: building (about 45 minutes on two cores)"
    log_name=qtbase-build log ninja -C "$build" -j"$J"
    log_name=qtbase-install log cmake --install "$build"
}

# --- qtmultimedia ----------------------------------------------------------------------------
build_qtmultimedia() {
    [ -f "$prefix/lib/libQt6Multimedia.a" ] && return
    local src=$W/qtmultimedia-everywhere-src-6.4.2 build=$W/qtmultimedia-build shim=$W/multimedia-shim
    if [ ! -d "$src" ]; then
        step "qtmultimedia: unpacking"
        tar xJf "$W/qtmultimedia.tar.xz" -C "$W"
        # The bundled spatial-audio library is skipped when the feature is off, the camera
        # code saves without QtConcurrent, and FindWMF finds MinGW-w64's lower-case libraries.
        patch -d "$src" -p1 <"$root/scripts/qt-mingw/qtmultimedia-mingw.patch"
    fi
    # Headers that the sources name with capitals, as Windows' file system forgives; and the
    # host's qsb standing in for a Windows Qt6ShaderTools, whose tool is all that is needed.
    mkdir -p "$shim/include" "$shim/cmake/Qt6ShaderTools"
    local h
    for h in Dbt.h Functiondiscoverykeys_devpkey.h InitGuid.h Mferror.h Mfreadwrite.h Wmcodecdsp.h Mfidl.h; do
        ln -sfn "/usr/share/mingw-w64/include/${h,,}" "$shim/include/$h"
    done
    ln -sfn "$prefix/include/QtCore/qurl.h" "$shim/include/QUrl.h"
    cat >"$shim/cmake/Qt6ShaderTools/Qt6ShaderToolsConfig.cmake" <<EOF
find_package(Qt6ShaderToolsTools 6.4 REQUIRED CONFIG PATHS $hostcmake NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
set(Qt6ShaderTools_FOUND TRUE)
EOF
    cat >"$shim/cmake/Qt6ShaderTools/Qt6ShaderToolsConfigVersion.cmake" <<'EOF'
set(PACKAGE_VERSION 6.4.2)
set(PACKAGE_VERSION_COMPATIBLE TRUE)
EOF
    if [ ! -f "$build/build.ninja" ]; then
        step "qtmultimedia: configuring"
        log_name=multimedia-configure log cmake -S "$src" -B "$build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=$hostcmake \
            -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
            -DQt6ShaderTools_DIR="$shim/cmake/Qt6ShaderTools" -DCMAKE_CXX_FLAGS="-I$shim/include" \
            -DFEATURE_spatialaudio=OFF -DFEATURE_ffmpeg=OFF -DFEATURE_gstreamer=OFF
        grep -Eq 'Windows Media Foundation \.+ yes' "$build/config.summary" ||
            { echo "qtmultimedia: Windows Media Foundation not found" >&2; exit 1; }
    fi
    step "qtmultimedia: building (about 4 minutes)"
    log_name=multimedia-build log ninja -C "$build" -j"$J"
    log_name=multimedia-install log cmake --install "$build"
    # The programs that use the prefix look for WMF with this file too.
    cp "$src/cmake/FindWMF.cmake" "$prefix/lib/cmake/Qt6/FindWMF.cmake"
}

# --- the archive -----------------------------------------------------------------------------
package() {
    step "packing $name.tar.gz"
    # The prefix refers to this machine's toolchain file; it goes with the prefix instead.
    cp "$toolchain" "$prefix/lib/cmake/Qt6/mingw-w64-x86_64-posix.cmake"
    sed -i "s|set(__qt_initially_configured_toolchain_file \".*\")|set(__qt_initially_configured_toolchain_file \"\${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-posix.cmake\")|" \
        "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
    tar czf "$W/$name.tar.gz" -C "$W" "$name"
    echo "wrote $W/$name.tar.gz ($(du -h "$W/$name.tar.gz" | cut -f1))"
}

for s in "${steps[@]}"; do
    case $s in
        sources) fetch_sources ;;
        qtbase) build_qtbase ;;
        multimedia) build_qtmultimedia ;;
        package) package ;;
        *) echo "unknown step $s" >&2; exit 2 ;;
    esac
done
