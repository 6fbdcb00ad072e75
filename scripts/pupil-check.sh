#!/usr/bin/env bash
# The installed package tried as pupils and a teacher would, with real
# accounts: six pupils (alunno1..alunno6) outside group games and a teacher
# (maestra) who joins it. As root, on a machine with no class record:
#   bash scripts/pupil-check.sh [PACKAGE.deb]     (builds it when not given)
# Checks, each as the account named:
#   - pupils can neither list, read, write, rename nor delete anything in
#     /var/games/tarvimonda, and a link to it gives them nothing either;
#   - their games still save and confirm a record, and a start shows it:
#     through the installed keeper run as the game runs it, and once with
#     the installed game itself on an X server, played to a new record with
#     keys typed by xdotool, what it shows read back through the
#     accessibility bus (screenshots kept in build-pkg/);
#   - a request or --record-folder naming another folder of group games
#     writes nothing there; a pupil's own folder is served with the pupil's
#     own group, never with games;
#   - six pupils with umask 077 ending at once all save or are told
#     truthfully that they were beaten, the best stays with its own name,
#     and the files stay 0660;
#   - the register gets a line a game, which pupils cannot read and the
#     teacher can once she is in group games;
#   - no pupil can stall, stop, own or forge the class's data: keepers held
#     without their "go" and keepers their pupil stopped cost a classmate's
#     save nothing, every file there belongs to games, a name with CR LF
#     and made-up scores are refused, no register line is cut under a
#     file-size limit, the register switch of the machine holds, and no
#     advice tells a pupil to join group games.
# Fails loudly at the first broken promise. Removes the accounts, folders
# and processes it made, and the package if it installed it; safe to run
# again.
set -euo pipefail
cd "$(dirname "$0")/.."

keeper=/usr/libexec/tarvimonda/tarvimonda-keeper
class=/var/games/tarvimonda
other=/srv/altra
pupils=(alunno1 alunno2 alunno3 alunno4 alunno5 alunno6)
teacher=maestra
mark="tarvimonda pupil-check"   # the accounts' comment: only ours are removed
shots=$PWD/build-pkg/pupil-check

fail() {
  echo "pupil-check: FAILED: $*" >&2
  exit 1
}
ok() { echo "    ok: $*"; }
[ "$(id -u)" = 0 ] || fail "run as root: it makes accounts and installs the package"

ours() { [ "$(getent passwd "$1" | cut -d: -f5)" = "$mark" ]; }
for account in "${pupils[@]}" "$teacher"; do
  ! id "$account" >/dev/null 2>&1 || ours "$account" || fail "account $account exists and is not this check's"
done
# A run cut short leaves its marker in $other, with what the machine had
# before: its accounts and its files in the class folder are its own.
marker="$other/.pupil-check"
[ ! -e "$other" ] || [ -f "$marker" ] || fail "$other exists and is not this check's"
[ ! -e /etc/xdg/tarvimonda/tarvimonda.conf ] || fail "this machine has a class configuration in /etc/xdg/tarvimonda"
if [ -f "$marker" ]; then
  was_installed=$(cat "$marker")
else
  was_installed=$(dpkg-query -W -f='${db:Status-Status}' tarvimonda 2>/dev/null || true)
  if [ "$was_installed" = installed ] && [ -n "$(find "$class" -mindepth 1 -print -quit 2>/dev/null)" ]; then
    fail "this machine keeps a class record in $class: run the check on a machine without one"
  fi
fi

bash scripts/install-deps.sh xvfb x11-utils xdotool dbus at-spi2-core python3-pyatspi imagemagick >&2
deb=${1:-$(bash scripts/package.sh)}
[ -f "$deb" ] || fail "no package $deb"
deb=$(realpath "$deb")

work=$(mktemp -d /tmp/tarvimonda-pupils.XXXXXX)
chmod 755 "$work"
started=()
remove_accounts() {
  local account
  for account in "${pupils[@]}" "$teacher"; do
    if id "$account" >/dev/null 2>&1 && ours "$account"; then
      userdel -f -r "$account" 2>/dev/null || true
    fi
  done
}
cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  remove_accounts
  rm -rf "$work" "$other" /etc/xdg/tarvimonda
  if [ "$was_installed" = installed ]; then
    find "$class" -mindepth 1 -delete 2>/dev/null || true
  else
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tarvimonda >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -p "$other"
[ -f "$marker" ] || echo "$was_installed" >"$marker"
chown root:games "$other"
chmod 2770 "$other"

echo "==> Installing $deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" >/dev/null || fail "apt-get could not install $deb"
find "$class" -mindepth 1 -delete
# The machine keeps a register, as a teacher turns it on.
install -d -m 755 /etc/xdg/tarvimonda
printf '[Register]\nEnabled=true\n' >/etc/xdg/tarvimonda/tarvimonda.conf

echo "==> Accounts: ${pupils[*]} (not in games) and $teacher"
remove_accounts
for account in "${pupils[@]}" "$teacher"; do
  useradd -m -c "$mark" -s /bin/bash "$account"
done
for account in "${pupils[@]}"; do
  ! id -nG "$account" | grep -qw games || fail "$account is in group games"
done

# ---- The keeper, run as the game runs it ------------------------------------

encoded() { python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' "$1"; }
# A request without its "go": step folder [name score wrong register]; the
# class folder is asked for by name, as the game asks for it.
request_only() {
  if [ "$2" = "$class" ]; then
    printf 'tarvimonda-keeper 3\nstep=%s\nfolder=machine\nwait=60000\n' "$1"
  else
    printf 'tarvimonda-keeper 3\nstep=%s\nfolder=%s\nmake=chosen\nwait=60000\n' "$1" "$(encoded "$2")"
  fi
  if [ "$1" = end ]; then
    printf 'save=1\nregister=%s\nname=%s\nscore=%s\nwrong=%s\ntotal=%s\n' \
      "${6:-0}" "$(encoded "$3")" "$4" "${5:-0}" "$(($4 + ${5:-0}))"
  fi
  printf 'end\n'
}
request() { request_only "$@"; printf 'go\n'; }
# The keeper as ACCOUNT with UMASK, given REQUEST whole before it starts (a
# keeper that refuses a request early never reads the rest).
keeper_as() { runuser -u "$1" -- sh -c "umask $2; exec $keeper" <<<"$3"; }
# FIELD of the reply's LINE ("record" or "register"), decoded.
field() {
  local line
  line=$(grep "^$2 " <<<"$1" || true)
  python3 -c 'import sys, urllib.parse
for word in sys.argv[1].split(" ")[1:]:
    key, _, value = word.partition("=")
    if key == sys.argv[2]:
        print(urllib.parse.unquote(value).rstrip("\r\n"))' "$line" "$3"
}
end_as() { keeper_as "$1" 022 "$(request end "$class" "$2" "$3" "${4:-0}" "${5:-0}")"; }
start_as() { keeper_as "$1" 022 "$(request start "$class")"; }
shown_by() {
  local reply
  reply=$(start_as "$1")
  [ "$(field "$reply" record happened)" = read ] || fail "$1's start did not read the record: $reply"
  echo "$(field "$reply" record score) $(field "$reply" record name)"
}
digest() { (cd "$class" && find . -type f -printf '%p %U %G %m\n' | sort && find . -type f -exec sha256sum {} + | sort); }

echo "==> A pupil's game saves and confirms a record; a start shows it"
reply=$(end_as alunno1 "Anna Rossi" 3)
[ "$(field "$reply" record happened)" = saved ] || fail "alunno1's record was not saved: $reply"
ok "alunno1 ended with 3: saved and confirmed"
[ "$(shown_by alunno2)" = "3 Anna Rossi" ] || fail "alunno2's start showed '$(shown_by alunno2)', not '3 Anna Rossi'"
ok "alunno2's start shows: 3 Anna Rossi"

echo "==> Pupils cannot touch $class by hand"
before=$(digest)
as_pupil() { runuser -u alunno2 -- bash -c "$1" >/dev/null 2>&1; }
tries=(
  "list|ls $class"
  "list (find)|find $class -mindepth 1"
  "read the score|cat $class/esprle.txt"
  "read the name|cat $class/nesprle.txt"
  "write the score|echo 9999 > $class/esprle.txt"
  "make a file|touch $class/mio.txt"
  "rename|mv $class/esprle.txt $class/vecchio.txt"
  "move out|mv $class/nesprle.txt /tmp/"
  "delete|rm -f $class/esprle.txt"
  "delete all|rm -rf $class/*"
)
for try in "${tries[@]}"; do
  ! as_pupil "${try#*|}" || fail "a pupil could ${try%%|*}: ${try#*|}"
  ok "cannot ${try%%|*}"
done
# A link is another folder's name: the keeper serves it with the pupil's
# rights alone.
runuser -u alunno2 -- ln -sfn "$class" /tmp/tarvimonda-collegamento
reply=$(keeper_as alunno2 022 "$(request end /tmp/tarvimonda-collegamento "Falso" 99)")
rm -f /tmp/tarvimonda-collegamento
[ "$(field "$reply" record happened)" = failed ] || fail "a link to the class folder let a pupil write: $reply"
ok "a request through a link to it is refused ($(field "$reply" record cause))"
[ "$(digest)" = "$before" ] || fail "the class folder changed under the pupils' tries"
ok "nothing in it changed"

echo "==> Another folder of group games is never served with group games"
for step in start end; do
  reply=$(keeper_as alunno3 022 "$(request "$step" "$other" "Altrove" 50 0 1)")
  [ "$(field "$reply" record happened)" = failed ] || fail "the $step step for $other did not fail: $reply"
  ok "the $step step for $other: $(field "$reply" record happened) ($(field "$reply" record cause))"
done
# A per-user request makes the folder's parents: none under $other.
keeper_as alunno3 022 "$(request start "$other/nuova/sotto" | sed 's/^make=chosen$/make=per-user/')" >/dev/null
runuser -u alunno3 -- env -i HOME=/home/alunno3 QT_QPA_PLATFORM=offscreen /usr/bin/tarvimonda --record-folder "$other" \
  >"$work/altra.log" 2>&1 &
game=$!
started+=("$game")
sleep 4
kill "$game" 2>/dev/null || true
wait "$game" 2>/dev/null || true
[ "$(ls -A "$other")" = .pupil-check ] || fail "something was written in $other: $(ls -A "$other")"
ok "tarvimonda --record-folder $other as alunno3: nothing written there"
# A pupil's own folder works, with the pupil's own group and never games.
mine=/home/alunno3/mio-record
runuser -u alunno3 -- mkdir "$mine"
reply=$(keeper_as alunno3 022 "$(request end "$mine" "Solo mio" 4)")
[ "$(field "$reply" record happened)" = saved ] || fail "alunno3's own folder was not served: $reply"
[ "$(stat -c %G "$mine/esprle.txt")" = alunno3 ] || fail "alunno3's own record was made with group $(stat -c %G "$mine/esprle.txt")"
ok "alunno3's own folder: saved, its files of group alunno3"

echo "==> Six pupils with umask 077 end at once"
find "$class" -mindepth 1 -delete
reply=$(end_as alunno1 "Partenza" 4 0 1)
[ "$(field "$reply" record happened)" = saved ] || fail "the starting record was not saved: $reply"
scores=(7 12 9 5 11 8)
best=12
# Each waits at a shared lock that root holds, so that all six start
# together when it is let go.
gate=$work/gate
: >"$gate"
chmod 644 "$gate"
exec 8<"$gate"
flock -x 8
pids=()
for i in "${!pupils[@]}"; do
  request end "$class" "Alunno $((i + 1))" "${scores[$i]}" 3 1 >"$work/request$i"
  runuser -u "${pupils[$i]}" -- sh -c "umask 077; flock -s $gate true; exec $keeper" <"$work/request$i" >"$work/reply$i" &
  pids+=($!)
done
sleep 1
flock -u 8
exec 8<&-
for pid in "${pids[@]}"; do wait "$pid" || true; done
saved=0
for i in "${!pupils[@]}"; do
  reply=$(cat "$work/reply$i")
  happened=$(field "$reply" record happened)
  case $happened in
    saved) saved=$((saved + 1))
      ok "${pupils[$i]} (${scores[$i]}): saved" ;;
    beaten)
      standing=$(field "$reply" record score)
      [ "$standing" -ge "${scores[$i]}" ] 2>/dev/null \
        || fail "${pupils[$i]} (${scores[$i]}) was told beaten by $standing: $reply"
      ok "${pupils[$i]} (${scores[$i]}): beaten, told $(field "$reply" record name) with $standing" ;;
    *) fail "${pupils[$i]} (${scores[$i]}) was neither saved nor beaten: $reply" ;;
  esac
  [ "$(field "$reply" register happened)" = added ] || fail "${pupils[$i]}'s game was not added to the register: $reply"
done
[ "$saved" -ge 1 ] || fail "nobody saved"
[ "$(shown_by alunno5)" = "$best Alunno 2" ] || fail "the record is '$(shown_by alunno5)', not '$best Alunno 2'"
ok "the record is $best with its own name, Alunno 2"
modes=$(stat -c '%n %G %a' "$class"/esprle.txt "$class"/nesprle.txt "$class"/registro.csv)
[ "$(awk '$2 != "games" || $3 != 660' <<<"$modes")" = "" ] || fail "files not games 0660 despite umask 077: $modes"
ok "esprle.txt, nesprle.txt, registro.csv: group games, 0660, whatever the pupils' umask"

echo "==> The register: lines pupils cannot read, the teacher can"
register=$class/registro.csv
[ "$(grep -c 'Alunno [1-6];' "$register")" = 6 ] || fail "the register does not hold one line a pupil: $(cat "$register")"
for account in alunno1 alunno6; do
  ! runuser -u "$account" -- cat "$register" >/dev/null 2>&1 || fail "$account can read the register"
done
ok "alunno1 and alunno6 cannot read it"
! runuser -u "$teacher" -- cat "$register" >/dev/null 2>&1 || fail "the teacher reads the register before joining games"
ok "$teacher cannot read it before joining group games"
usermod -aG games "$teacher"
# runuser starts a fresh login's groups, as after logging out and in.
lines=$(runuser -u "$teacher" -- cat "$register") || fail "the teacher in group games cannot read the register"
[ "$(grep -c 'Alunno [1-6];' <<<"$lines")" = 6 ] || fail "the teacher does not see the six lines: $lines"
ok "$teacher, in group games after a fresh login, reads it: $(wc -l <<<"$lines") lines"

echo "==> The installed game, played by a pupil on an X server"
# Xvfb takes the first free display itself and writes its number once it
# listens: a display left taken, or a stale lock, never stops the check.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
started+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display=:$(head -n 1 "$work/display")
DISPLAY=$display xdpyinfo >/dev/null 2>&1 || fail "Xvfb does not answer on $display"
install -m 644 scripts/pupil-play.py "$work/player.py"
install -m 644 scripts/spoken_exercise.py "$work/spoken_exercise.py"
# The pupil's session: a D-Bus session bus with the accessibility bus, the
# installed game, and the player; the game must end by itself once the
# record message is confirmed.
cat >"$work/session.sh" <<'EOF'
/usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$OUT/atspi.log" 2>&1 &
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 /usr/bin/tarvimonda >"$OUT/game.log" 2>&1 &
game=$!
python3 "$PLAYER" Giulia "$RIGHTS" "$OUT" >"$OUT/seen.txt" || { kill $game; exit 1; }
for _ in $(seq 50); do kill -0 $game 2>/dev/null || exit 0; sleep 0.1; done
echo "the game did not end after the record message" >&2
kill $game
exit 1
EOF
chmod 644 "$work/session.sh"
out=$work/alunno4
install -d -o alunno4 -m 755 "$out"
install -d -o alunno4 -m 700 "$out/run"
runuser -u alunno4 -- env -i HOME=/home/alunno4 USER=alunno4 PATH=/usr/bin:/bin DISPLAY="$display" \
  XDG_RUNTIME_DIR="$out/run" OUT="$out" PLAYER="$work/player.py" RIGHTS=$((best + 1)) \
  timeout 180 dbus-run-session -- sh "$work/session.sh" \
  || fail "alunno4's game went wrong: $(cat "$out/seen.txt" "$out/game.log" 2>/dev/null)"
mkdir -p "${shots%/*}"
cp "$out/start.png" "$shots-start.png"
cp "$out/saved.png" "$shots-saved.png"
sed 's/^/    window: /' "$out/seen.txt"
seen=$(cat "$out/seen.txt")
grep -qx "Punti del record: $best" <<<"$seen" && grep -qx "Detentore del record: Alunno 2" <<<"$seen" \
  || fail "alunno4's window did not show the record $best of Alunno 2 at the start"
ok "alunno4's window showed the record at the start: $best, Alunno 2"
grep -qx "Ok ho registrato il tuo record, C A M P I O N E" <<<"$seen" || fail "alunno4's window did not confirm the record"
[ "$(shown_by alunno6)" = "$((best + 1)) Giulia" ] || fail "after alunno4's game the record is '$(shown_by alunno6)'"
ok "alunno4 played $((best + 1)) right answers: confirmed, and alunno6's start shows $((best + 1)) Giulia"
ok "screenshots: $shots-start.png, $shots-saved.png"

echo "==> No pupil can stall, stop, own or forge the class's data"
# seconds_for COMMAND...: how long it took, in tenths of a second.
tenths_for() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N); echo $(((t1 - t0) / 100000000)); }
saves_now() {
  local reply
  reply=$(end_as alunno1 "Anna Rossi" "$1")
  [ "$(field "$reply" record happened)" = saved ] || fail "alunno1's save of $1 failed: $reply"
}
# Keepers that never get their "go", started again as each one ends.
cat >"$work/staller.sh" <<STALL
while :; do ( cat "$work/stall-request"; sleep 600 ) | $keeper >/dev/null; done
STALL
request_only end "$class" "Staller" 800 0 1 >"$work/stall-request"
chmod 644 "$work/staller.sh" "$work/stall-request"
runuser -u alunno5 -- setsid sh "$work/staller.sh" 2>/dev/null &
staller=$!
started+=("$staller")
sleep 2
took=$(tenths_for saves_now 30)
[ "$took" -lt 100 ] || fail "with keepers held without go, alunno1's save took $took tenths of a second"
ok "keepers held without their go, restarted as they end: alunno1's save done in $took tenths of a second"
pkill -U alunno5 || true
kill "$staller" 2>/dev/null || true
wait "$staller" 2>/dev/null || true
# Thirty keepers, each stopped by its pupil as soon as it runs (one that
# already works as games cannot be stopped, and ends by itself).
request end "$class" "Fermo" 1 0 1 >"$work/stall-go"
chmod 644 "$work/stall-go"
stoppers=()
for _ in $(seq 30); do
  runuser -u alunno5 -- sh -c "$keeper <'$work/stall-go' >/dev/null & kill -STOP \$! 2>/dev/null; true" &
  stoppers+=($!)
done
wait "${stoppers[@]}" 2>/dev/null || true
sleep 1
took=$(tenths_for saves_now 31)
# By real user: a keeper stopped as it started still has the pupil's.
pkill -CONT -U alunno5 || true
pkill -KILL -U alunno5 || true
[ "$took" -lt 100 ] || fail "with 30 keepers stopped by their pupil, alunno1's save took $took tenths of a second"
ok "30 keepers stopped by their pupil: alunno1's save done in $took tenths of a second"
# Keepers that could not be stopped finish their own games first.
for _ in $(seq 200); do pgrep -f "^$keeper\$" >/dev/null || break; sleep 0.1; done
! pgrep -f "^$keeper\$" >/dev/null || fail "keepers still run 20 s later: $(pgrep -a -f "^$keeper\$")"
owned=$(find "$class" -mindepth 1 ! -user games -printf '%p %u\n')
[ -z "$owned" ] || fail "files of the class folder that are not games's: $owned"
ok "every file in $class belongs to games"
# A name with a line end, and made-up scores, are refused whole.
lines_before=$(wc -l <"$class/registro.csv")
for forged in $'Ugo\r\n2026-01-01;08:00:00;Falso;99;0;99;sì|5' "Bea|901" "Bea|32767"; do
  reply=$(end_as alunno3 "${forged%|*}" "${forged##*|}" 0 1 || true)
  [ "$(field "$reply" record cause)" = bad-request ] || fail "a forged request was taken: $reply"
done
[ "$(wc -l <"$class/registro.csv")" = "$lines_before" ] || fail "a forged request added to the register"
ok "a name holding CR LF, 901 and 32767 answers: each refused, no line added"
# Under small file-size limits no register line is ever cut.
for limit in 1 2 3 4 6 8; do
  runuser -u alunno3 -- sh -c "ulimit -f $limit; exec $keeper" <<<"$(request end "$class" "Limitato $limit" 1 0 1)" >/dev/null || true
done
python3 - "$class/registro.csv" <<'PY' || fail "a register line was cut under a file-size limit"
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding="utf-8", newline=""), delimiter=";"))
assert all(len(row) in (7, 8) for row in rows[1:]), [row for row in rows if len(row) not in (7, 8)]
PY
ok "under file-size limits of 1 to 8 blocks, every register line is whole"
# With the register off on the machine, a pupil's request adds no line.
printf '[Register]\nEnabled=false\n' >/etc/xdg/tarvimonda/tarvimonda.conf
lines_before=$(wc -l <"$class/registro.csv")
reply=$(end_as alunno3 "Spento" 1 0 1)
[ "$(field "$reply" register cause)" = register-off ] && [ "$(wc -l <"$class/registro.csv")" = "$lines_before" ] \
  || fail "with the register off, a pupil's request added a line: $reply"
printf '[Register]\nEnabled=true\n' >/etc/xdg/tarvimonda/tarvimonda.conf
ok "with the register off on the machine, a pupil's register=1 adds no line"
# The class folder under another spelling: the advice is the game's own
# setting, never a group.
said=$(runuser -u alunno3 -- env -i HOME=/home/alunno3 /usr/bin/tarvimonda --check --record-folder /var/games//tarvimonda/ 2>&1 || true)
! grep -q 'usermod' <<<"$said" || fail "the check advised joining a group: $said"
ok "the class folder under another spelling: no advice to join a group"
[ "$(shown_by alunno2)" = "31 Anna Rossi" ] || fail "the record is '$(shown_by alunno2)', not alunno1's 31"

echo "==> The package's promises, read back"
[ "$(stat -c '%U:%G %a' "$keeper")" = "games:games 6755" ] || fail "$keeper is $(stat -c '%U:%G %a' "$keeper")"
[ "$(stat -c '%U:%G %a' "$class")" = "root:games 2770" ] || fail "$class is $(stat -c '%U:%G %a' "$class")"
ok "$keeper games:games 6755, $class root:games 2770"

echo "pupil-check: OK"
