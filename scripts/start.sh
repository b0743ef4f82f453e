#!/usr/bin/env bash
# Sets up, builds and starts the program. Until the main window exists this runs
# abctool on a tune of the bundled collection (or on the file given).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
file="${1:-../shared/corpus/nottingham/jigs.abc}"
exec ./build/bin/abctool parse "$file" --tune "${2:-1}"
