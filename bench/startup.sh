#!/usr/bin/env bash
# Start-up as a pupil sees it, and peak memory, of the game and of the
# smallest Qt program that shows one dialog (build/bench/minimal_dialog),
# both under the same X server in the same run:
#  - start: from the program's start to the name prompt on screen;
#  - greeting: from the greeting's OK to the first exercise on screen;
#  - peak resident memory (VmHWM) of a whole short game: name, greeting,
#    a few answers, exit; and of the minimal program until its OK.
# Prints each run, then the medians (and the median of each run's ratio of
# the two starts), then where the game's resident memory goes (by mapping,
# just before it exits) next to the minimal program's.
#   RUNS=7  BUILD=build  ANSWERS=6
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh xvfb xdotool time

runs=${RUNS:-7}
build=${BUILD:-build}
answers=${ANSWERS:-6}
game=$build/tarvimonda
minimal=$build/bench/minimal_dialog
[ -x "$game" ] && [ -x "$minimal" ] || cmake --build "$build" -j2 --target tarvimonda minimal_dialog

work=$(mktemp -d)
# Xvfb takes the first free display and writes its number once it listens.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display") QT_QPA_PLATFORM=xcb XDG_DATA_HOME=$work/data
# Sealed from this machine's configuration (/etc/xdg/tarvimonda, ~/.config).
export XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/config-dirs
unset WAYLAND_DISPLAY
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# wait_for FILE PATTERN: until a line of FILE matches (at most 20 s).
wait_for() {
  for _ in $(seq 400); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  echo "timed out waiting for '$2' in $1" >&2
  cat "$1" >&2
  return 1
}
moment() { sed -n "s/^$2 \([0-9]*\)$/\1/p" "$1" | head -1; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) / 1e6 }'; }
# Resident memory by mapping: heap and anonymous memory, fonts, Qt and
# other libraries, shared memory of the X connection.
rss_by_kind() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "") ? "[anon]" : $6 }
       /^Rss:/ {
         kind = "other"
         if (name ~ /\[heap\]|\[anon\]/) kind = "heap and anonymous"
         else if (name ~ /\.(ttf|otf|pfb)$/) kind = "font files"
         else if (name ~ /libQt6/) kind = "Qt libraries"
         else if (name ~ /\.so/) kind = "other libraries"
         else if (name ~ /SYSV|memfd|shm/) kind = "X shared memory"
         else if (name ~ /fontconfig|\.cache/) kind = "font caches"
         else if (name ~ /tarvimonda|minimal_dialog/) kind = "program"
         sum[kind] += $2
       }
       END { for (k in sum) printf "    %-20s %6d kB\n", k, sum[k] }' "/proc/$1/smaps" | sort
}
# Gives the keyboard to the newest visible window titled $1: there is no
# window manager to do it.
focus() {
  local id
  id=$(xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | tail -1)
  xdotool windowfocus --sync "$id" 2>/dev/null || true
}
# end PID KEY TITLE: presses KEY in the window until the program PID ends
# (a key sent before the window has the keyboard is lost).
end() {
  for _ in $(seq 20); do
    kill -0 "$1" 2>/dev/null || break
    focus "$3"
    xdotool key "$2"
    sleep 0.5
  done
  if kill -0 "$1" 2>/dev/null; then
    echo "the program did not end" >&2
    pkill -P "$1" || true
    return 1
  fi
  wait "$1"
}
child_of() { for _ in $(seq 100); do pgrep -P "$1" && return 0; sleep 0.02; done; return 1; }

# play_game RUN: name, greeting, a few answers, exit; sets start, prompt,
# ok, first and game_rss.
play_game() {
  rm -rf "$work/data"
  err=$work/game.err
  TARVIMONDA_STARTUP_TIMES=1 /usr/bin/time -f '%M' -o "$work/game.rss" \
    bash -c 'date +%s%N >"$1"; exec "$2"' _ "$work/game.start" "$game" 2>"$err" &
  timer=$!
  wait_for "$err" name-prompt
  focus Tarvimonda
  xdotool type --delay 30 Luca
  xdotool key Return
  sleep 0.3
  focus Tarvimonda
  xdotool key Return
  wait_for "$err" first-exercise
  sleep 0.3
  focus 'Calcola il valore della seguente tarvimonda'
  # Wrong answers (no row is worth 999): the game then ends without a
  # record to confirm.
  for _ in $(seq "$answers"); do
    xdotool type --delay 30 999
    xdotool key Return
    sleep 0.1
    xdotool key Return
    sleep 0.1
  done
  if [ "$1" = 1 ]; then
    pid=$(child_of "$timer")
    grep VmHWM "/proc/$pid/status" >"$work/game.hwm"
    rss_by_kind "$pid" >"$work/game.kinds"
  fi
  end "$timer" alt+x 'Calcola il valore della seguente tarvimonda'
  start=$(cat "$work/game.start")
  prompt=$(moment "$err" 'tarvimonda-startup name-prompt')
  ok=$(moment "$err" 'tarvimonda-startup greeting-ok')
  first=$(moment "$err" 'tarvimonda-startup first-exercise')
  game_rss=$(cat "$work/game.rss")
}

# show_minimal RUN: its one dialog, then OK; sets mstart, mprompt and
# minimal_rss.
show_minimal() {
  err=$work/minimal.err
  /usr/bin/time -f '%M' -o "$work/minimal.rss" \
    bash -c 'date +%s%N >"$1"; exec "$2"' _ "$work/minimal.start" "$minimal" 2>"$err" &
  timer=$!
  wait_for "$err" name-prompt
  if [ "$1" = 1 ]; then
    pid=$(child_of "$timer")
    rss_by_kind "$pid" >"$work/minimal.kinds"
  fi
  end "$timer" Return Tarvimonda
  mstart=$(cat "$work/minimal.start")
  mprompt=$(moment "$err" 'minimal-dialog name-prompt')
  minimal_rss=$(cat "$work/minimal.rss")
}

# One start of each first, not counted: the first start after the X server
# pays for caches both share. Then each run starts both programs, in turn
# first, so that neither always follows the other.
play_game 0
show_minimal 0
: >"$work/results"
for run in $(seq "$runs"); do
  if [ $((run % 2)) = 1 ]; then
    play_game "$run"
    show_minimal "$run"
  else
    show_minimal "$run"
    play_game "$run"
  fi
  line="$(ms "$start" "$prompt") $(ms "$ok" "$first") $game_rss $(ms "$mstart" "$mprompt") $minimal_rss"
  line="$line $(awk -v g="$(cut -d' ' -f1 <<<"$line")" -v m="$(cut -d' ' -f4 <<<"$line")" 'BEGIN { printf "%.3f", g / m }')"
  echo "$line" >>"$work/results"
  echo "run $run: game start $(cut -d' ' -f1 <<<"$line") ms, greeting to exercise $(cut -d' ' -f2 <<<"$line") ms," \
       "peak $game_rss kB; minimal start $(cut -d' ' -f4 <<<"$line") ms, peak $minimal_rss kB"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column() { cut -d' ' -f"$1" "$work/results" | median; }
echo
echo "medians of $runs runs:"
echo "  game: start to name prompt $(column 1) ms; greeting OK to first exercise $(column 2) ms; peak resident $(column 3) kB"
echo "  minimal program: start to its dialog $(column 4) ms; peak resident $(column 5) kB"
echo "  game's start over the minimal program's, median of the runs' own ratios: $(column 6)"
echo
echo "game, resident memory by kind after $answers answers ($(cat "$work/game.hwm")):"
cat "$work/game.kinds"
echo "minimal program, resident memory by kind with its dialog on screen:"
cat "$work/minimal.kinds"
