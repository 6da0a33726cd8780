#!/usr/bin/env bash
# Takes the README's pictures (docs/*.png) afresh from the real program on its own Xvfb
# display, driven as a user would (tests/e2e/e2e.sh readme). Builds what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-deps.sh
kotopa_install_deps
kotopa_configure
cmake --build build --parallel "$(nproc)" --target kotopa kotopa-tool x11_helper sound_probe
KOTOPA_STAGE="$PWD/build/kotopa" KOTOPA_X11_HELPER="$PWD/build/tests/e2e/x11_helper" \
    KOTOPA_SOUND_PROBE="$PWD/build/tests/e2e/sound_probe" \
    KOTOPA_TOOL="$PWD/build/tools/kotopa-tool" KOTOPA_ARTIFACTS="$PWD/docs" \
    bash tests/e2e/e2e.sh readme
