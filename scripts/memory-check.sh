#!/usr/bin/env bash
# Memory of the game, measured on the real window, headless:
#  1. 200 new games in a row ("Nuovo", Yes) under LeakSanitizer (build-asan/);
#  2. resident memory after 20 and after 200 new games, and the peak of one
#     normal game, in the normal optimised build (build/).
# Fails on a leak, or when resident memory grows by more than MAX_GROWTH_KB
# (default 3072) between the 20th and the 200th new game.
#   NEW_GAMES=200  MAX_GROWTH_KB=3072  ASAN_BUILD=build-asan  NORMAL_BUILD=build
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

games=${NEW_GAMES:-200}
max_growth=${MAX_GROWTH_KB:-3072}
asan_build=${ASAN_BUILD:-build-asan}
normal_build=${NORMAL_BUILD:-build}
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false'
# Sealed from this machine's configuration (/etc/xdg/tarvimonda, ~/.config).
sealed=$(mktemp -d)
trap 'rm -rf "$sealed"' EXIT
export XDG_CONFIG_HOME=$sealed/home XDG_CONFIG_DIRS=$sealed/dirs

echo "== LeakSanitizer: $games new games ($asan_build)"
cmake --preset asan -B "$asan_build" >/dev/null
cmake --build "$asan_build" -j2 --target test_stress
# A leak makes the program exit with LeakSanitizer's report and a failure.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
TARVIMONDA_NEW_GAMES=$games \
  "$asan_build/tests/app/test_stress" newGamesInARow -silent -maxwarnings 0
echo "LeakSanitizer: no leak after $games new games"

echo "== Resident memory ($normal_build)"
cmake --preset plain -B "$normal_build" >/dev/null
cmake --build "$normal_build" -j2 --target test_stress
stress="$normal_build/tests/app/test_stress"

# A process of its own, so its peak is the one of that game alone.
peak=$("$stress" normalGameToTheEnd -maxwarnings 0 | sed -n 's/.*peak resident memory after a normal game: \([0-9]*\) kB.*/\1/p')
report=$(TARVIMONDA_NEW_GAMES=$games "$stress" newGamesInARow -maxwarnings 0)
after20=$(sed -n 's/.*resident memory after 20 new games: \([0-9]*\) kB.*/\1/p' <<<"$report")
afterAll=$(sed -n "s/.*resident memory after $games new games: \\([0-9]*\\) kB.*/\\1/p" <<<"$report")
if [ -z "$peak" ] || [ -z "$after20" ] || [ -z "$afterAll" ]; then
  echo "memory figures missing from the test output:" >&2
  echo "$report" >&2
  exit 1
fi
growth=$((afterAll - after20))
echo "Peak resident memory of a normal game (VmHWM): $peak kB"
echo "Resident memory after 20 new games:  $after20 kB"
echo "Resident memory after $games new games: $afterAll kB (growth $growth kB, limit $max_growth kB)"
if [ "$growth" -gt "$max_growth" ]; then
  echo "Resident memory grows with each new game." >&2
  exit 1
fi
