#!/usr/bin/env bash
# The README's play command as a new user meets it: from an empty build
# folder, "bash scripts/play.sh" builds what the game needs and starts it;
# a game played on an X server to one right answer, with keys typed by
# xdotool and the window read through the accessibility bus, must end with
# the record confirmed and saved in the player's own record folder.
#   bash scripts/play-check.sh
# Uses only a temporary folder of its own (build folder included), removed
# at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "play-check: FAILED: $*" >&2
  exit 1
}
ok() { echo "    ok: $*"; }

bash scripts/install-deps.sh xvfb x11-utils xdotool dbus at-spi2-core python3-pyatspi imagemagick >&2

work=$(mktemp -d)
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
started+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display=:$(head -n 1 "$work/display")

mkdir -m 700 "$work/run" "$work/shots" "$work/home"
# The player's session: the accessibility bus, the play command started
# from an empty build folder, and the player once the game runs. The game
# must end by itself after the record message.
cat >"$work/session.sh" <<'SESSION'
/usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$WORK/atspi.log" 2>&1 &
TARVIMONDA_BUILD_DIR="$WORK/build" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  bash scripts/play.sh >"$WORK/play.log" 2>&1 &
play=$!
# The build comes first: wait for the game itself.
for _ in $(seq 1800); do
  pgrep -f "^$WORK/build/tarvimonda\$" >/dev/null && break
  kill -0 $play 2>/dev/null || { echo "the play command ended without starting the game" >&2; exit 1; }
  sleep 0.5
done
# The system's Python: pyatspi comes as a Debian package.
/usr/bin/python3 scripts/pupil-play.py Giulia 1 "$WORK/shots" >"$WORK/seen.txt" || { kill $play; exit 1; }
for _ in $(seq 50); do kill -0 $play 2>/dev/null || exit 0; sleep 0.1; done
echo "the game did not end after the record message" >&2
kill $play
exit 1
SESSION

echo "==> bash scripts/play.sh from an empty build folder, one game to a record"
env -u XDG_DATA_HOME HOME="$work/home" DISPLAY="$display" XDG_RUNTIME_DIR="$work/run" WORK="$work" \
  XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/xdg" \
  timeout 1500 dbus-run-session -- bash "$work/session.sh" \
  || fail "the game went wrong: $(cat "$work/seen.txt" 2>/dev/null; tail -n 20 "$work/play.log" 2>/dev/null)"
sed 's/^/    window: /' "$work/seen.txt"
for program in tarvimonda tarvimonda-keeper tarvimonda-register; do
  [ -x "$work/build/$program" ] || fail "the play command did not build $program"
done
ok "the play command built the game, its record keeper and its register window"
grep -qx "Ok ho registrato il tuo record, C A M P I O N E" "$work/seen.txt" || fail "the window did not confirm the record"
ok "the window confirmed the record"
folder=$work/home/.local/share/tarvimonda
[ "$(cat "$folder/esprle.txt" 2>/dev/null)" = $'1\r' ] || fail "esprle.txt holds '$(cat -A "$folder/esprle.txt" 2>/dev/null)'"
[ "$(cat "$folder/nesprle.txt" 2>/dev/null)" = $'Giulia\r' ] || fail "nesprle.txt holds '$(cat -A "$folder/nesprle.txt" 2>/dev/null)'"
ok "the record 1, Giulia is in $folder"
echo "play-check: OK"
