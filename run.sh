#!/usr/bin/env bash
# Builds KotoPA (Release, in build/), stages the program folder build/kotopa/ and starts it.
# Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
kotopa_install_deps
kotopa_configure
cmake --build build --parallel "$(nproc)" --target kotopa
exec build/kotopa/kotopa
