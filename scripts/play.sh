#!/usr/bin/env bash
# Installs what is missing, builds the game into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset plain >/dev/null
cmake --build build --target tarvimonda
exec ./build/tarvimonda "$@"
