#!/usr/bin/env bash
# Compiles the help pages in data-src/help/ into data/kotopa.chm, the help file the program
# opens through the desktop, with scripts/help-chm.cmake (the recipe the test checks the
# shipped file against). Needs chmcmd (Debian package fp-utils) and iconv.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v chmcmd >/dev/null || { echo "chmcmd not found: apt-get install fp-utils" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p data
cmake -DCHMCMD="$(command -v chmcmd)" -DICONV="$(command -v iconv)" -DPAGES="$PWD/data-src/help" \
      -DWORK="$work/chm" -DOUT="$PWD/data/kotopa.chm" -P scripts/help-chm.cmake
echo "wrote data/kotopa.chm"
