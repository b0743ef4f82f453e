#!/usr/bin/env bash
# Sets up, builds and starts the program's window: on FILE when given, otherwise on
# the small sample collection that ships with it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
if [ $# -gt 0 ]; then
  exec ./build/bin/reelquill "$@"
fi
exec ./build/bin/reelquill ./build/bin/sample.abc
