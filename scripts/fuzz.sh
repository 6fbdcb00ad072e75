#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a
# bounded time on a copy of its seed corpus (fuzz/corpus/<target>/).
#   FUZZ_SECONDS=45   time given to each target
#   FUZZ_TARGETS="fuzz_leading_number ..."   which ones (default: all)
# Exits non-zero when a target crashes; the input that did it is kept in
# build-fuzz/crashes/<target>/ and can be replayed with
#   build-fuzz/fuzz/<target> build-fuzz/crashes/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang libclang-rt-14-dev

seconds=${FUZZ_SECONDS:-45}
targets=${FUZZ_TARGETS:-fuzz_leading_number fuzz_record_decode fuzz_record_read fuzz_keeper_request}
build=build-fuzz

# Only the widget-free libraries: the fuzz targets need nothing else, and
# building them with clang as well shows its warnings on that code.
cmake --preset fuzz -DTARVIMONDA_WERROR="${TARVIMONDA_WERROR:-ON}" >/dev/null
cmake --build "$build" -j2

failed=()
for target in $targets; do
  corpus="$build/corpus/$target"
  crashes="$build/crashes/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus" "$crashes"
  cp fuzz/corpus/"$target"/* "$corpus"/
  echo "== $target: ${seconds}s on $(ls "$corpus" | wc -l) seeds"
  # Record files are read up to 4096 bytes: let inputs grow past that.
  max_len=4096
  [ "$target" = fuzz_record_read ] && max_len=10000
  if "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" 2>"$build/$target.log"; then
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$build/$target.log" || true
    echo "   corpus grew to $(ls "$corpus" | wc -l) inputs; no crash"
  else
    grep -E 'invariant broken|ERROR|SUMMARY|Test unit written' "$build/$target.log" || tail -20 "$build/$target.log"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "Crashed: ${failed[*]} (inputs in $build/crashes/)" >&2
  exit 1
fi
