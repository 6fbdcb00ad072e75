#!/usr/bin/env bash
# Installs what is missing, builds the game into build/ and starts it.
# TARVIMONDA_BUILD_DIR names another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TARVIMONDA_BUILD_DIR:-build}
bash scripts/install-deps.sh
cmake --preset plain -B "$build" >/dev/null
# The game's target brings the record keeper and the register window along.
cmake --build "$build" --target tarvimonda
exec "$build/tarvimonda" "$@"
