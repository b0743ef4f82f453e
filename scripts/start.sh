#!/usr/bin/env bash
# Sets up, builds and starts the program. Until the main window exists this shows
# what the parser reads in a tune: of the file given, or of a bundled collection.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
file="${1:-../shared/corpus/nottingham/jigs.abc}"
if [ ! -f "$file" ]; then
  echo "usage: bash scripts/start.sh FILE.abc [TUNE-NUMBER]" >&2
  exit 2
fi
exec ./build/bin/abctool parse "$file" --tune "${2:-1}"
