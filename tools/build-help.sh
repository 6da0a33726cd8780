#!/usr/bin/env bash
# Compiles the help pages in data-src/help/ into data/kotopa.chm, the help file the program
# opens through the desktop. Needs chmcmd (Debian package fp-utils).
set -euo pipefail
cd "$(dirname "$0")/../data-src/help"
command -v chmcmd >/dev/null || { echo "chmcmd not found: apt-get install fp-utils" >&2; exit 2; }
chmcmd kotopa.hhp
mkdir -p ../../data
mv kotopa.chm ../../data/kotopa.chm
echo "wrote data/kotopa.chm"
