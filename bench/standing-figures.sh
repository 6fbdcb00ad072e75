#!/usr/bin/env bash
# The standing speed figures, each beside its floor, all in one run:
#  - the start to the name prompt, over the smallest Qt program that shows
#    one dialog (bench/startup.sh);
#  - thirty games ending at once on one record folder, all saved and
#    confirmed, beside one save alone (bench_class_record);
#  - a school year's register (300,000 games, 600 pupils): shown whole in
#    the register window (bench_register), and written as a PDF report and
#    as a CSV table by "tarvimonda --register FILE --export-…", beside a
#    process that only reads the file (wc -l).
# Prints a table for the README. Needs the test command's build (build/).
#   RUNS=5  BUILD=build
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-5}
build=${BUILD:-build}
cmake --build "$build" -j2 --target tarvimonda minimal_dialog bench_class_record bench_register >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/config-dirs XDG_DATA_HOME=$work/data

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# elapsed COMMAND...: milliseconds, median of $runs runs.
elapsed() {
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
  done | median
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# bench_value OUTPUT NAME FIELD: a column of a Google Benchmark median row.
bench_value() { awk -v n="$2" -v f="$3" '$1 ~ n"_median$" { print $f }' "$1"; }

echo "start ..." >&2
RUNS=$runs BUILD=$build bash bench/startup.sh >"$work/startup.txt"
start_ratio=$(sed -n 's/.*median of the runs. own ratios: //p' "$work/startup.txt")
start_game=$(sed -n 's/.*game: start to name prompt \([0-9.]*\) ms.*/\1/p' "$work/startup.txt")
start_minimal=$(sed -n 's/.*minimal program: start to its dialog \([0-9.]*\) ms.*/\1/p' "$work/startup.txt")

echo "thirty saves ..." >&2
"$build/bench/bench_class_record" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_format=console >"$work/class.txt" 2>/dev/null
thirty=$(bench_value "$work/class.txt" BM_ThirtyGamesEndAtOnce/iterations:20/manual_time 2)
alone=$(bench_value "$work/class.txt" BM_CompareAndSaveAlone 2)
failed=$(grep -o 'failed_saves=[0-9.]*' "$work/class.txt" | head -n 1 | cut -d= -f2)

echo "register ..." >&2
REGISTER_GAMES=300000 REGISTER_OUT="$work/registro.csv" QT_QPA_PLATFORM=offscreen "$build/bench/bench_register" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_filter='ReadTheFileAlone|OpenTheWindow' \
  >"$work/register.txt" 2>/dev/null
shown=$(bench_value "$work/register.txt" BM_OpenTheWindow/manual_time 2)
read_alone=$(bench_value "$work/register.txt" BM_ReadTheFileAlone 2)
floor=$(elapsed wc -l "$work/registro.csv")
pdf=$(elapsed "$build/tarvimonda" --register "$work/registro.csv" --export-pdf "$work/report.pdf")
csv=$(elapsed "$build/tarvimonda" --register "$work/registro.csv" --export-csv "$work/report.csv")

cat <<TABLE
| what | measured | floor, same run | ratio | goal |
|---|---|---|---|---|
| start to the name prompt | $start_game ms | minimal Qt program to its dialog: $start_minimal ms | $start_ratio | ≤ 1.05× |
| thirty games ending at once, all saved and confirmed (failed: ${failed:-?}) | $thirty ms | one save alone: $alone ms | $(ratio "$thirty" "$alone") | ≤ 3 s |
| a year's register (300,000 games) shown whole in the register window | $shown ms | the file read into memory: $read_alone ms | $(ratio "$shown" "$read_alone") | ≤ 1 s |
| the same register written as a PDF report | $pdf ms | a process reading the file (wc -l): $floor ms | $(ratio "$pdf" "$floor") | ≤ 0.5 s |
| the same register written as a CSV table | $csv ms | the same: $floor ms | $(ratio "$csv" "$floor") | ≤ 0.5 s |
TABLE
