#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks included, so they
# compile cleanly too) and runs every test headless.
#   --sanitize  build in build-asan/ with AddressSanitizer and UBSan instead
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# The configurations are presets (CMakePresets.json).
preset=plain build=build
if [ "${1:-}" = "--sanitize" ]; then
  preset=asan build=build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp"
fi
# Warnings are errors here (TARVIMONDA_WERROR=OFF in the environment turns
# that off); a package build leaves them warnings.
cmake --preset "$preset" -DTARVIMONDA_WERROR="${TARVIMONDA_WERROR:-ON}" >/dev/null
cmake --build "$build" -j2
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
