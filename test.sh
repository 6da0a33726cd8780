#!/usr/bin/env bash
# Builds KotoPA (Release, in build/) and runs every test. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")"
source tools/install-deps.sh
kotopa_install_deps
kotopa_configure
cmake --build build --parallel "$(nproc)"
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
