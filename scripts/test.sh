#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks included, so they
# compile cleanly too) and runs every test headless.
#   --sanitize  build in build-asan/ with AddressSanitizer and UBSan instead
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build
# Warnings are errors here (TARVIMONDA_WERROR=OFF in the environment turns
# that off); a package build leaves them warnings.
werror=-DTARVIMONDA_WERROR=${TARVIMONDA_WERROR:-ON}
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIMONDA_BENCH=ON "$werror")
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  options=(-DCMAKE_BUILD_TYPE=Debug -DTARVIMONDA_SANITIZE=ON "$werror")
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp"
fi
cmake -S . -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build" -j2
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
