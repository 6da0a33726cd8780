#!/usr/bin/env bash
# Builds the Debian package of KotoPA, build/kotopa_<version>_<architecture>.deb, from the
# install rules (packaging/). Installs what is missing first. Then, as root:
#   apt install ./build/kotopa_<version>_<architecture>.deb
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
kotopa_install_deps
kotopa_configure
cmake --build build --parallel "$(nproc)" --target kotopa kotopa-tool kotopa_package_files
cd build
cpack -G DEB
