#!/usr/bin/env bash
# Builds KotoPA (Release, in build/), stages the program folder build/kotopa/ and starts it.
# Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")"
source tools/install-deps.sh
kotopa_install_deps

generator=()
command -v ninja >/dev/null && [ ! -f build/Makefile ] && generator=(-G Ninja)
cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=Release
cmake --build build --parallel "$(nproc)" --target kotopa
exec build/kotopa/kotopa
