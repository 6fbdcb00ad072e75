#!/usr/bin/env bash
# Instructions per timed step of the game's benchmarks, counted by
# callgrind: the step itself and the events it posted, not its untimed
# preparation nor the repaint. Unlike times they do not move with what else
# the machine runs, so two trees compare within a percent or so.
#   BUILD=build bash bench/instructions.sh [Judgement LoadWindow ...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh valgrind

build=${BUILD:-build}
bench=$build/bench/bench_game
# The bench counts its steps only when built with valgrind's header.
if [ ! -x "$bench" ] || ! grep -q "timed steps" "$bench"; then
  cmake --build "$build" -j2 --target bench_game
  grep -q "timed steps" "$bench" || { echo "instructions: $bench was built without valgrind's header" >&2; exit 2; }
fi
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(Floor_GradientFill NewExerciseAfterWrong NewExerciseAfterRight Judgement ClockTick LoadWindow)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%-24s %14s %8s\n' benchmark "instructions" steps
for name in "${names[@]}"; do
  QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$work/out" \
    "$bench" --benchmark_filter="^BM_$name(/|\$)" --benchmark_min_time=0.3 >/dev/null 2>"$work/err"
  steps=$(sed -n 's/^timed steps: //p' "$work/err" | tail -n 1)
  total=$(sed -n 's/^summary: //p' "$work/out")
  [ -n "$steps" ] && [ "$steps" -gt 0 ] || { echo "instructions: no step of BM_$name was counted" >&2; exit 1; }
  printf '%-24s %14d %8d\n' "$name" $((total / steps)) "$steps"
done
