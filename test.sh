#!/usr/bin/env bash
# Builds KotoPA (Release, in build/) and runs every test; then cross-builds it for Windows
# (build/win/, MinGW-w64) and runs those tests under Wine (scripts/windows.sh). Installs what
# is missing first. KOTOPA_MINGW_QT names a MinGW Qt for the Windows program itself.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
kotopa_install_deps
kotopa_configure
cmake --build build --parallel "$(nproc)"
ctest --test-dir build --output-on-failure --parallel "$(nproc)"

windows_start=$SECONDS
KOTOPA_X11_HELPER=$PWD/build/tests/e2e/x11_helper bash scripts/windows.sh test
echo "The Windows build and its tests under Wine took $((SECONDS - windows_start)) s."
