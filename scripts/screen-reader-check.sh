#!/usr/bin/env bash
# Plays a whole game under the Orca screen reader, with the keyboard alone
# and then with the numeric keypad alone, and checks that Orca spoke the name
# prompt, every exercise, every verdict (with the right value after a wrong
# answer), the new-game question (answered No, then Sì) and the record
# message; and that the window
# offers its icon at every size and its dialogs open centred on it.
#
# Everything runs on a display of its own (the first free one) with its
# own D-Bus session, accessibility bus, Orca preferences
# and record folder, all in a temporary folder that is removed at the end.
# Orca speaks nothing: what it would say is read from its debug log, which
# is kept when the check fails (or in SCREEN_READER_LOG when that is set).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh xvfb xauth x11-utils dbus dbus-x11 at-spi2-core orca xdotool python3
if [ ! -x build/tarvimonda ] || [ -n "$(find src -newer build/tarvimonda -print -quit)" ]; then
  cmake --preset plain >/dev/null
  cmake --build build -j2 --target tarvimonda
fi

if pgrep -u "$(id -u)" -x orca >/dev/null; then
  echo "screen-reader-check: another Orca runs for this user; Orca allows one per user." >&2
  exit 2
fi

work=$(mktemp -d /tmp/tarvimonda-sr.XXXXXX)
log=$work/orca.log
started=()   # pids of the processes this script started
passed=0

# Every process started here, and whatever they started in turn, ends with
# the script, by process id.
descendants() {
  local pid child
  for pid in "$@"; do
    for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do
      descendants "$child"
      echo "$child"
    done
  done
}
cleanup() {
  local pids
  # Ended here by process id; bash need not report each one as "Killed".
  disown -a 2>/dev/null || true
  pids=$(descendants "${started[@]}"; printf '%s\n' "${started[@]}")
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  sleep 0.5
  for pid in $pids; do kill -9 "$pid" 2>/dev/null || true; done
  if [ -n "${SCREEN_READER_LOG:-}" ]; then
    cp "$log" "$SCREEN_READER_LOG" 2>/dev/null || true
  fi
  if [ "$passed" = 1 ]; then
    rm -rf "$work"
  else
    echo "screen-reader-check: the game's, Orca's and the buses' logs are in $work" >&2
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "screen-reader-check: FAIL: $*" >&2
  echo "--- the last things Orca said:" >&2
  grep -a "SPEECH OUTPUT" "$log" 2>/dev/null | tail -n 15 >&2 || true
  exit 1
}

mkdir -p "$work/data" "$work/config" "$work/run" "$work/orca"
chmod 700 "$work/run"
# Sealed from this machine's configuration: a class folder or register set
# in /etc/xdg/tarvimonda never reaches this game.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/config-dirs XDG_RUNTIME_DIR=$work/run

# Xvfb takes the first free display itself and writes its number once it
# listens: a display left taken, or a stale lock, never stops the check.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
started+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")
xdpyinfo >/dev/null 2>&1 || fail "Xvfb does not answer on $DISPLAY"

dbus-daemon --session --nofork --address="unix:path=$work/bus" >"$work/dbus.log" 2>&1 &
started+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus
for _ in $(seq 50); do [ -S "$work/bus" ] && break; sleep 0.1; done
/usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 --screen-reader=1 >"$work/atspi.log" 2>&1 &
started+=($!)
# Ready when the accessibility bus gives its address and its registry
# answers there (a busy machine takes seconds, not a fixed moment).
a11y_ready() {
  local address
  address=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null |
    tr -d ' ') || return 1
  [ -n "$address" ] && dbus-send --bus="$address" --print-reply --dest=org.a11y.atspi.Registry \
    /org/a11y/atspi/registry org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1
}
for _ in $(seq 300); do a11y_ready && break; sleep 0.1; done
a11y_ready || fail "the accessibility bus did not answer (see $work/atspi.log)"

# Orca's laptop layout: in its desktop layout Orca keeps keypad Enter, "-"
# and "+" for its own commands (Qt does not report NumLock to it), so a
# pupil who answers on the keypad uses the laptop layout.
cat >"$work/orca/user-settings.conf" <<'EOF'
{"general": {"keyboardLayout": 2, "orcaModifierKeys": ["Caps_Lock", "Shift_Lock"]},
 "profiles": {"default": {"profile": ["Default", "default"]}},
 "pronunciations": {}, "keybindings": {}}
EOF
# Orca itself, with speech off and its debug log written line by line (Orca
# leaves it block-buffered, and the check reads it while Orca runs).
/usr/bin/python3 - -u "$work/orca" -d speech --debug-file "$log" >"$work/orca.out" 2>&1 <<'EOF' &
import builtins, sys
sys.argv[0] = "/usr/bin/orca"
log = sys.argv[sys.argv.index("--debug-file") + 1]
plain_open = builtins.open
def open_lines(file, mode="r", *args, **kwargs):
    if file == log and "w" in mode:
        return plain_open(file, mode, 1, *args[1:], **kwargs)
    return plain_open(file, mode, *args, **kwargs)
builtins.open = open_lines
with plain_open("/usr/bin/orca") as source:
    code = compile(source.read(), "/usr/bin/orca", "exec")
exec(code, {"__name__": "__main__", "__file__": "/usr/bin/orca"})
EOF
started+=($!)
# Ready when Orca says so and listens to keys.
orca_ready() { grep -aq "Startup complete" "$log" 2>/dev/null && grep -aq "registering keystroke listener" "$log"; }
for _ in $(seq 600); do orca_ready && break; sleep 0.1; done
orca_ready || fail "Orca did not start (see $work/orca.out)"

start_game() {
  QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    "$root/build/tarvimonda" >"$work/game.log" 2>&1 &
  game=$!
}

# What Orca said so far, one utterance a line.
spoken() {
  { grep -a "SPEECH OUTPUT: '" "$log" || true; } |
    sed -e "s/^.*SPEECH OUTPUT: '//" -e "s/' *\(voice=[a-z]*\)\? *{.*$//"
}
# Waits until Orca has said something matching the pattern since mark.
mark=0
set_mark() { mark=$(spoken | wc -l); }
heard() { spoken | tail -n +"$((mark + 1))" | { grep -aE -- "$1" || true; } | tail -n 1; }
wait_for() {
  local pattern=$1 what=$2 line deadline=$((SECONDS + ${STEP_SECONDS:-30}))
  while [ "$SECONDS" -lt "$deadline" ]; do
    line=$(heard "$pattern")
    if [ -n "$line" ]; then
      last_line=$line
      echo "  Orca: $line"
      return 0
    fi
    kill -0 "$game" 2>/dev/null || [ "$what" = "the record message" ] || fail "the game ended while waiting for $what"
    sleep 0.1
  done
  fail "Orca did not speak $what (expected /$pattern/)"
}
# Keys go one at a time, each once Orca has heard the one before: the
# toolkit asks the accessibility bus about every key and, when the bus is
# slow to answer, hands the queued keys on by itself, so keys sent together
# on a busy machine could overtake one another. A key Orca never hears, and
# the toolkit did not hand on by itself ("keyEventError" in the game's log),
# was lost on the way: it is sent again, at most twice. A key that arrived is
# never repeated, so a game that answers wrongly still fails the check.
presses() { grep -ac "^vvvvv PROCESS ATSPI_KEY_PRESSED_EVENT" "$log" || true; }
handed_on() { grep -ac "keyEventError" "$work/game.log" || true; }
keys() {
  local key before errors attempt
  for key in "$@"; do
    for attempt in 1 2 3; do
      before=$(presses)
      errors=$(handed_on)
      xdotool key "$key"
      for _ in $(seq 250); do
        [ "$(presses)" -gt "$before" ] && continue 3
        sleep 0.02
      done
      [ "$(handed_on)" -gt "$errors" ] && continue 2
      echo "  (Orca never heard $key: sent again)"
    done
    touch "$work/key-lost"
    fail "Orca never heard the key $key, sent three times"
  done
}
# What last took the keyboard focus, as the accessibility bus told Orca:
# "role | name".
focused() {
  { grep -a "EVENT MANAGER: object:state-changed:focused for .* (1, " "$log" || true; } | tail -n 1 |
    sed 's/^.*focused for \[\([^]]*\)\].*$/\1/'
}
# step KEY FOCUS: a key that must move the focus, sent until it does. The
# toolkit can drop a key on a busy machine with no keyEventError (Alt alone
# then never opens the menu bar), and the keys after it would go astray:
# each waits for the focus the one before must bring (STEP_FOCUS_SECONDS, 5
# by default), and a key that moved nothing is sent again, at most twice.
# A key that moved the focus elsewhere plays the game again.
step() {
  local key=$1 want=$2 before attempt
  before=$(focused)
  for attempt in 1 2 3; do
    keys "$key"
    for _ in $(seq $((${STEP_FOCUS_SECONDS:-5} * 20))); do
      [ "$(focused)" = "$want" ] && return 0
      sleep 0.05
    done
    if [ "$(focused)" != "$before" ]; then
      touch "$work/key-lost"
      fail "$key took the focus to '$(focused)', not to '$want'"
    fi
    echo "  ($key did not bring '$want' to the focus: sent again)"
  done
  touch "$work/key-lost"
  fail "$key never brought '$want' to the focus, sent three times"
}
# The menu bar from the keyboard: Alt, then Right to each title up to NAME.
menu_to() {
  local title
  step alt "menu item | Scuola di Esempio"
  for title in "Autori: il gruppo Tarvimonda" "Nuovo"; do
    step Right "menu item | $title"
    [ "$title" = "$1" ] && return 0
  done
}
# xdotool names of the keys that type text, on the main keyboard or the keypad.
keys_for() {
  local text=$1 pad=$2 i c
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    if [ "$pad" = keypad ]; then
      case $c in -) echo KP_Subtract ;; +) echo KP_Add ;; *) echo "KP_$c" ;; esac
    else
      case $c in -) echo minus ;; +) echo plus ;; *) echo "$c" ;; esac
    fi
  done
}
# The value of the exercise Orca read, worked out from its words alone.
value_of() { /usr/bin/python3 "$root/scripts/spoken_exercise.py" "$1"; }

exercise_pattern="Espressione: .* a vale (meno )?[0-9]+, b vale (meno )?[0-9]+\. Premi un tasto"
# Plays the exercise Orca has just read: the first key only moves to the
# answer box, then the answer (right or wrong), then Enter for the verdict.
play() {
  local how=$1 pad=$2 value answer
  value=$(value_of "$exercise")
  if [ "$how" = right ]; then answer=$value; else answer=$((value + 1)); fi
  set_mark
  keys "$( [ "$pad" = keypad ] && echo KP_0 || echo 0)"
  wait_for "Inserisci il valore" "the answer box"
  # shellcheck disable=SC2046
  keys $(keys_for "$answer" "$pad") "$enter"
  if [ "$how" = right ]; then
    rights=$((rights + 1))
    wait_for "Esatto\. Sei okkk!!!" "the right verdict"
  else
    wait_for "Sbagliato!! Il risultato giusto era $(echo "$value" | sed 's/^-/meno /')\." "the wrong verdict with $value"
  fi
}
next_exercise() {
  set_mark
  keys "$enter"
  wait_for "$exercise_pattern" "the next exercise"
  exercise=$last_line
}

play_game() {
enter=Return
rights=0
echo "Name prompt and greeting"
wait_for "Come ti chiami" "the name prompt"
set_mark
keys L u c a Return
wait_for "vediamo se sei un vero campione" "the greeting"
set_mark
keys Return
wait_for "$exercise_pattern" "the first exercise"
exercise=$last_line

echo "Main keyboard: a right answer, a wrong one"
play right main
next_exercise
play wrong main
next_exercise

echo "The window offers its icon at every size"
window=$(timeout 10 xdotool search --sync --limit 1 --name "^Calcola il valore") || fail "no game window"
icons=$(xprop -len 2000000 -id "$window" _NET_WM_ICON | grep -o "Icon ([0-9]* x [0-9]*)" | tr '\n' ' ')
echo "  _NET_WM_ICON: $icons"
for side in 16 22 24 32 48 64 96 128 256; do
  case $icons in *"Icon ($side x $side)"*) ;; *) fail "no $side px window icon" ;; esac
done

echo "The menu from the keyboard: Nuovo, answered No, then play goes on"
xdotool windowmove "$window" 300 200
sleep 0.3
set_mark
menu_to Nuovo
step Return "push button | No"
wait_for "INIZIAMO UNA NUOVA GARA" "the new-game question"
# The question is centred on the moved window and kept above it.
dialog=$(timeout 10 xdotool search --sync --limit 1 --name "^INIZIARE NUOVA GARA$") || fail "no question window"
centre() { eval "$(xdotool getwindowgeometry --shell "$1")"; echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"; }
read -r wx wy <<<"$(centre "$window")"
read -r dx dy <<<"$(centre "$dialog")"
echo "  window centre $wx,$wy; question centre $dx,$dy"
[ $(( (dx - wx) * (dx - wx) + (dy - wy) * (dy - wy) )) -le 1600 ] || fail "the question is not centred on the window"
transient=$(xprop -id "$dialog" WM_TRANSIENT_FOR | grep -o "0x[0-9a-f]*" || true)
[ "$((transient))" = "$window" ] || fail "the question is transient for $transient, not the game window"
set_mark
keys Return
# The focus is back in the hidden box of the same exercise: play goes on.
wait_for "Nuovo esercizio" "the exercise box after the question"
play right main
next_exercise

echo "The information from the keyboard, then its submenu closed with Escape"
set_mark
menu_to "Autori: il gruppo Tarvimonda"
keys Return
wait_for "^Tarvimonda [0-9]" "the information"
set_mark
keys Return
wait_for "^Autori" "the menu that follows the information"
set_mark
keys Escape
wait_for "Nuovo esercizio" "the exercise box after the information"
play wrong main
next_exercise

echo "Nuovo answered Sì: a new game, from the name prompt"
set_mark
menu_to Nuovo
step Return "push button | No"
wait_for "INIZIAMO UNA NUOVA GARA" "the new-game question"
set_mark
step Left "push button | Sì"
keys Return
wait_for "Come ti chiami" "the name prompt of the new game"
set_mark
keys L u c a Return
wait_for "vediamo se sei un vero campione" "the greeting of the new game"
set_mark
keys Return
wait_for "$exercise_pattern" "the first exercise of the new game"
exercise=$last_line
rights=0   # the counters start again

echo "Numeric keypad alone: keypad digits, signs and Enter"
enter=KP_Enter
play right keypad
next_exercise
play wrong keypad
next_exercise
play right keypad

echo "Exit with a new record, while another game holds the record folder a moment"
flock "$work/data/tarvimonda/record.lock" sleep 2 &
set_mark
keys alt+x
wait_for "Sto salvando il record" "what the game waits for"
wait_for "C A M P I O N E" "the record message"
keys KP_Enter
for _ in $(seq 50); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game" 2>/dev/null && fail "the game did not end after the record message"
[ "$(tr -d '\r\n' <"$work/data/tarvimonda/esprle.txt")" = "$rights" ] || fail "the record file does not hold $rights"
[ "$(tr -d '\r\n' <"$work/data/tarvimonda/nesprle.txt")" = Luca ] || fail "the name file does not hold Luca"
}

# The whole game, from a fresh start, up to three times. The toolkit asks
# the accessibility bus about every key and gives up after 0.1 s; on a busy
# machine it then hands the key to the game itself, where some keys no
# longer act (Alt alone no longer opens the menu), and the game goes astray.
# When that happened ("keyEventError" in the game's log), or a key never
# reached Orca, the game is played again; any other failure fails at once.
for attempt in 1 2 3; do
  rm -rf "$work/data" "$work/key-lost"
  mkdir -p "$work/data"
  status=0
  (trap 'kill "$game" 2>/dev/null || true' EXIT; set_mark; start_game; play_game) &
  started+=($!)
  wait "$!" || status=$?
  [ "$status" = 0 ] && { passed=1; break; }
  cp "$work/game.log" "$work/game.$attempt.log"
  grep -q keyEventError "$work/game.log" || [ -e "$work/key-lost" ] || exit 1
  echo "screen-reader-check: the accessibility bus was too slow for a key (attempt $attempt, $work/game.$attempt.log)"
done
[ "$passed" = 1 ] || fail "three games in a row went astray on a slow accessibility bus"
echo "screen-reader-check: passed in ${SECONDS}s"
