#!/usr/bin/env bash
# Rebuilds the delivered data from its UTF-8 sources with kotopa-tool, and the program's
# message constants from their table with make_messages:
#   data-src/keys/mykey.txt    ->  data/key/mykey.key
#   data-src/keys/mykana.txt   ->  data/key/mykana.key  (the kana input style's table)
#   data-src/ktp/ActNN.txt     ->  data/ktp/ActNN.ktp   (each one checked afterwards)
#   src/messages/messages.txt  ->  src/messages/messages.inc
# Usage: scripts/build-data.sh [BUILD_DIR]   (default build/; configured if it is not yet)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target kotopa-tool make_messages --parallel "${JOBS:-2}"
tool="$build/tools/kotopa-tool"

"$build/tools/make_messages" src/messages/messages.txt src/messages/messages.inc

mkdir -p data/key
"$tool" keys build data-src/keys/mykey.txt -o data/key/mykey.key
"$tool" keys build data-src/keys/mykana.txt -o data/key/mykana.key

status=0
shopt -s nullglob
sources=(data-src/ktp/*.txt)
if [ ${#sources[@]} -gt 0 ]; then
  mkdir -p data/ktp
fi
for src in "${sources[@]}"; do
  name=$(basename "$src" .txt)
  "$tool" import "$src" -o "data/ktp/$name.ktp"
  "$tool" check "data/ktp/$name.ktp" --keys data/key/mykey.key || status=1
  "$tool" check "data/ktp/$name.ktp" --keys data/key/mykana.key || status=1
done

# A delivered Act without a source could never be rebuilt or checked against one.
for act in data/ktp/*.ktp; do
  name=$(basename "$act" .ktp)
  if [ ! -f "data-src/ktp/$name.txt" ]; then
    echo "$act has no source data-src/ktp/$name.txt" >&2
    status=1
  fi
done
exit $status
