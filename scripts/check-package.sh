#!/usr/bin/env bash
# Builds the Debian packages and checks them the way a classroom machine
# uses them:
#   1. installs what building and checking need (apt; sudo when not root);
#   2. validates the menu entries and the AppStream metainfo in packaging/;
#   3. builds the source and binary packages with scripts/package.sh
#      (dpkg-buildpackage, Debian's hardening flags) and validates the
#      binary package's tree (entries, metainfo and icon found together);
#   4. checks the packages: lintian on the source and the binary with no
#      error and no warning, and no override but the keeper's set-group-id
#      one; the dependencies; the maintainer scripts (postinst and postrm,
#      nothing else); the hardening of the game and of the record keeper;
#   5. checks every shell command of the teachers' manual with `bash -n`;
#   6. installs it with apt, checks the keeper (games:games 6755) and the
#      class record folder (root:games 2770), that an administrator's
#      dpkg-statoverride of the folder is kept, that the program, menu
#      entry, metainfo, icon, manual page and documents are where the
#      desktop looks for them, and that the program answers --help and
#      wrong options in Italian without a display;
#   7. starts the installed program headless (offscreen, then on an X
#      server under Xvfb): it must still be running at its name prompt after
#      a few seconds; then ends it;
#   8. runs the manual's commands marked as run here, as written, as root,
#      and checks what each did (skipped on a machine with a class set up).
# Exits non-zero with a message at the first failure. Safe to run again.
# What pupils can and cannot do with the installed package is checked by
# scripts/pupil-check.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

app_id=org.example.tarvimonda
keeper=/usr/libexec/tarvimonda/tarvimonda-keeper
register=/usr/libexec/tarvimonda/tarvimonda-register
class_folder=/var/games/tarvimonda

fail() {
  echo "check-package: FAILED: $*" >&2
  exit 1
}
step() { echo "==> $*"; }
# Each tool's whole output is read first: "tool | grep -q" under pipefail
# fails at random when grep stops reading early and the tool gets SIGPIPE.
has() { grep -Eq -- "$2" <<<"$1"; }
owner_mode() { stat -c '%U:%G %a' "$1"; }

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)

# The manual's walk below installs, resets and purges: only on a machine
# with no class set up (a CI machine), never over a teacher's real one. Seen
# before this script installs anything.
class_here=
if getent group classe >/dev/null || [ -e /var/lib/tarvimonda ] || [ -e /etc/xdg/tarvimonda ] \
  || id maestra >/dev/null 2>&1 || [ -n "$("${as_root[@]}" find "$class_folder" -mindepth 1 -print -quit 2>/dev/null)" ]; then
  class_here=yes
fi

# The folder's owner and mode are checked as the package sets them.
! dpkg-statoverride --list "$class_folder" >/dev/null \
  || fail "this machine has a dpkg-statoverride for $class_folder: check on a machine without one"

step "Installing what building and checking need"
bash scripts/install-deps.sh desktop-file-utils appstream dpkg-dev file xvfb xauth lintian man-db
# Nothing of this machine's own configuration reaches the programs run here.
scratch=$(mktemp -d)
walking=
# A walk cut short takes back what it made: it only starts where none of it
# was there before, so the next run walks again.
undo_walk() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tarvimonda >/dev/null 2>&1 || true
  "${as_root[@]}" userdel -r maestra 2>/dev/null || true
  "${as_root[@]}" rm -rf /var/lib/tarvimonda /etc/xdg/tarvimonda
  "${as_root[@]}" groupdel classe 2>/dev/null || true
}
# The machine is left as it was found, failure included: a package this
# script installed is purged again, and so is an override it added.
was_installed=$(dpkg-query -W -f='${db:Status-Status}' tarvimonda 2>/dev/null || true)
leave_as_found() {
  "${as_root[@]}" dpkg-statoverride --remove "$class_folder" >/dev/null 2>&1 || true
  if [ "$was_installed" != installed ] \
    && [ "$(dpkg-query -W -f='${db:Status-Status}' tarvimonda 2>/dev/null || true)" = installed ]; then
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tarvimonda >/dev/null 2>&1 || true
  fi
}
trap 'rm -rf "$scratch"; [ -z "$walking" ] || undo_walk; leave_as_found' EXIT
export XDG_CONFIG_HOME=$scratch/home XDG_CONFIG_DIRS=$scratch/dirs

step "Validating the menu entries and the metainfo"
for entry in packaging/*.desktop; do
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
done
for metainfo in packaging/*.metainfo.xml; do
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
done

step "Building the packages (scripts/package.sh)"
deb=$(bash scripts/package.sh) || fail "scripts/package.sh could not make the package"
[[ $deb == /*.deb ]] && [ -f "$deb" ] || fail "scripts/package.sh printed '$deb', not a .deb's absolute path"
version=$(dpkg-deb -f "$deb" Version)
dsc=$(dirname "$deb")/tarvimonda_$version.dsc
[ -f "$dsc" ] || fail "no source package $dsc beside $deb"
echo "    $deb"
echo "    $dsc"
[ "$(dpkg-parsechangelog -l debian/changelog -S Version)" = "$version" ] \
  || fail "debian/changelog does not start with version $version"

step "Validating the package's tree"
stage=$scratch/stage
dpkg-deb -x "$deb" "$stage"
appstreamcli validate-tree --no-net "$stage" || fail "appstreamcli rejects the package's tree"

step "lintian (source and binary)"
# Errors and warnings fail; information tags and overrides are shown. The
# one override allowed is the keeper's set-group-id bit.
lintian_out=$(lintian --info --display-info --show-overrides "$dsc" "$deb" 2>&1 | grep -v '^running with root privileges' || true)
grep '^[EWIO]:' <<<"$lintian_out" | sed 's/^/    /' || true
! grep -q '^[EW]:' <<<"$lintian_out" || fail "lintian reports errors or warnings"
overrides=$(grep '^O:' <<<"$lintian_out" || true)
[ "$overrides" = "O: tarvimonda: elevated-privileges 6755 games/games [${keeper#/}]" ] \
  || fail "lintian overrides other than the keeper's set-group-id bit: $overrides"
[ "$(ls debian/*lintian-overrides debian/source/*lintian-overrides 2>/dev/null)" = debian/tarvimonda.lintian-overrides ] \
  && [ -z "$(grep -v -e '^#' -e '^$' -e '^elevated-privileges ' debian/tarvimonda.lintian-overrides)" ] \
  || fail "debian/ overrides another lintian tag"
grep -q '^# .*group games' debian/tarvimonda.lintian-overrides || fail "the override does not give its reason"

step "Hardening of the game, of the record keeper and of the register window"
for program in "$stage/usr/bin/tarvimonda" "$stage$keeper" "$stage$register"; do
  name=${program#"$stage"}
  header=$(readelf -h "$program"); segments=$(readelf -l "$program")
  dynamic=$(readelf -d "$program"); symbols=$(nm -D "$program")
  has "$header" 'DYN \(Position-Independent' || fail "$name is not PIE"
  has "$segments" GNU_RELRO || fail "$name has no RELRO"
  has "$dynamic" 'BIND_NOW' || fail "$name is not bound at once (-z now)"
  ! has "$dynamic" 'R(UN)?PATH' || fail "$name has a library search path of its own"
  has "$symbols" '__stack_chk_fail' || fail "$name has no stack protector"
  # Fortified calls: the _chk functions, or the checked open of
  # _FORTIFY_SOURCE where no buffer size needs checking. The register
  # window reads only into buffers sized at run time, so the compiler may
  # find no call to fortify there: it is held to the build's flags instead.
  fortified="fortified functions"
  if ! has "$symbols" '_chk@|__open(at)?(64)?_2@'; then
    [ "$name" = "$register" ] && grep -q '^export DEB_BUILD_MAINT_OPTIONS = hardening=+all$' debian/rules \
      || fail "$name has no fortified functions"
    fortified="built with _FORTIFY_SOURCE (no call of known size to fortify)"
  fi
  echo "    $name: PIE, RELRO, BIND_NOW, stack protector, $fortified, no RUNPATH"
done

step "The manual's commands (bash -n)"
blocks=$scratch/blocks
mkdir "$blocks"
awk -v dir="$blocks" '/^```sh$/ {n++; inside=1; next} /^```$/ {inside=0; next} inside {print > (dir "/" n ".sh")}' \
  docs/manuale-insegnanti.md
for block in "$blocks"/*.sh; do
  bash -n "$block" || fail "a command block of the manual is not valid shell: $(cat "$block")"
done
echo "    $(ls "$blocks" | wc -l) blocks"

step "Dependencies and maintainer scripts"
depends=$(dpkg-deb -f "$deb" Depends)
echo "    Depends: $depends"
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 fonts-liberation2; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "the package does not depend on $needed"
done
control_files=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed -n 's|^\./||p' | grep . | sort | tr '\n' ' ')
[ "$control_files" = "control md5sums postinst postrm " ] \
  || fail "the package's control files should be control, md5sums, postinst and postrm, not: $control_files"
echo "    control files: $control_files"
keeper_entry=$(dpkg-deb -c "$deb" | grep " \./${keeper#/}$" || true)
[[ $keeper_entry == -rwsr-sr-x\ games/games\ * ]] || fail "the keeper in the package is not games/games 6755: $keeper_entry"

step "Installing the package with apt"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" >/dev/null \
  || fail "apt-get could not install $deb"
[ "$(dpkg-query -W -f='${Version}' tarvimonda)" = "$version" ] || fail "tarvimonda $version is not installed"
[ "$(owner_mode "$keeper")" = "games:games 6755" ] || fail "$keeper is $(owner_mode "$keeper"), not games:games 6755"
[ "$(owner_mode "$class_folder")" = "root:games 2770" ] \
  || fail "$class_folder is $(owner_mode "$class_folder"), not root:games 2770"
echo "    $keeper: games:games 6755"
echo "    $class_folder: root:games 2770"
# An administrator's own owner and mode for the folder outlive a reinstall;
# without one, the package's come back.
"${as_root[@]}" dpkg-statoverride --add root games 3770 "$class_folder"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" >/dev/null
overridden=$(owner_mode "$class_folder")
"${as_root[@]}" dpkg-statoverride --remove "$class_folder"
[ "$overridden" = "root:games 3770" ] || fail "a reinstall did not keep dpkg-statoverride's 3770 ($overridden)"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" >/dev/null
[ "$(owner_mode "$class_folder")" = "root:games 2770" ] || fail "without the override the folder is not 2770 again"
echo "    dpkg-statoverride of $class_folder kept by a reinstall"

installed=(
  /usr/bin/tarvimonda
  "$keeper"
  "$register"
  "/usr/share/metainfo/$app_id.metainfo.xml"
  /usr/share/icons/hicolor/scalable/apps/tarvimonda.svg
  /usr/share/doc/tarvimonda/examples/tarvimonda.conf.example
  /usr/share/doc/tarvimonda/manuale-insegnanti.md
  /usr/share/doc/tarvimonda/copyright
  /usr/share/doc/tarvimonda/changelog.gz
  /usr/share/man/man6/tarvimonda.6.gz
)
for entry in packaging/*.desktop; do installed+=("/usr/share/applications/${entry##*/}"); done
for path in "${installed[@]}"; do
  [ -f "$path" ] || fail "$path is missing after installing the package"
  owner=$(dpkg -S "$path" 2>/dev/null || true)
  [[ $owner == tarvimonda:* ]] || fail "$path does not belong to the tarvimonda package"
  echo "    $path"
done
cmp -s /usr/share/doc/tarvimonda/manuale-insegnanti.md docs/manuale-insegnanti.md || fail "the installed manual differs"
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
[ "$("${no_display[@]}" /usr/bin/tarvimonda --version)" = "tarvimonda $version" ] \
  || fail "the installed program does not answer --version without a display"
has "$("${no_display[@]}" /usr/bin/tarvimonda --help)" '^Uso: tarvimonda' || fail "--help is not in Italian"
# The register is a program of its own: the game hands its arguments over.
status=0
message=$("${no_display[@]}" /usr/bin/tarvimonda --register "$scratch/none.csv" --export-csv "$scratch/none-out.csv" 2>&1) \
  || status=$?
[ "$status" = 1 ] && has "$message" '^tarvimonda: Nessuna partita è ancora stata registrata' \
  || fail "'tarvimonda --register' did not reach the installed register program (status $status): $message"
echo "    tarvimonda --register: handed over to $register"
for wrong in --record-folder --recordfolder -platform; do
  status=0
  message=$("${no_display[@]}" /usr/bin/tarvimonda "$wrong" 2>&1) || status=$?
  [ "$status" = 2 ] && [[ $message == "tarvimonda: "* ]] && [ "$(wc -l <<<"$message")" = 1 ] \
    || fail "'tarvimonda $wrong' without a display gave status $status: $message"
  echo "    tarvimonda $wrong: $message"
done
has "$(MANWIDTH=80 man -P cat tarvimonda 2>/dev/null)" 'SINTASSI' || fail "man tarvimonda does not show the Italian manual page"
[[ $(file -b /usr/bin/tarvimonda) == ELF* ]] || fail "/usr/bin/tarvimonda is not an ELF program"
missing=$(ldd /usr/bin/tarvimonda "$keeper" "$register" | grep 'not found' || true)
[ -z "$missing" ] || fail "the installed programs miss libraries: $missing"
desktop-file-validate "/usr/share/applications/$app_id.desktop" || fail "the installed menu entry is not valid"
grep -qx 'Icon=tarvimonda' "/usr/share/applications/$app_id.desktop" || fail "the menu entry does not name the tarvimonda icon"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "/usr/share/applications/$app_id.desktop")
[ "$(command -v "$exec_name")" = /usr/bin/tarvimonda ] || fail "the menu entry runs '$exec_name', not /usr/bin/tarvimonda"
cmp -s /usr/share/icons/hicolor/scalable/apps/tarvimonda.svg assets/pictures/window-icon.svg \
  || fail "the installed icon is not the window icon"

# Starts the installed program on Qt platform $1 with an empty data folder.
# The program opens with a modal name prompt and waits there; a program that
# has ended after 3 s crashed or gave up. Then SIGTERM must end it.
start_and_end() {
  local platform=$1 scratch log pid status
  scratch=$(mktemp -d)
  log="$scratch/output.txt"
  XDG_DATA_HOME="$scratch/data" QT_QPA_PLATFORM="$platform" /usr/bin/tarvimonda >"$log" 2>&1 &
  pid=$!
  sleep 3
  if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    echo "check-package: FAILED: the installed program ended by itself on '$platform' (status $status):" >&2
    cat "$log" >&2
    rm -rf "$scratch"
    return 1
  fi
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  if [ "$status" -ne 143 ]; then
    echo "check-package: FAILED: the program on '$platform' did not end on SIGTERM as expected (status $status):" >&2
    cat "$log" >&2
    rm -rf "$scratch"
    return 1
  fi
  echo "    $platform: still at the name prompt after 3 s, ended by SIGTERM"
  rm -rf "$scratch"
}

step "Starting the installed program headless"
start_and_end offscreen || exit 1
xvfb-run -a -s '-screen 0 1600x1200x24' bash -c "$(declare -f start_and_end); start_and_end xcb" \
  || fail "the installed program did not start on an X server (xcb)"

step "The teacher's walk: the manual's marked commands, as written, as root"
# The blocks after "<!-- eseguito dal controllo del pacchetto -->", in the
# manual's order: 1 install, 2 reset the class record, 3 the teacher joins
# group games, 4 the lab's configuration, 5 a teacher's own group folder,
# 6 a new register for the teacher, 7 apt remove, 8 apt purge, 9 the
# configuration and the teacher's group, 10 the teacher's group folder.
walk=$scratch/walk
mkdir "$walk"
awk -v dir="$walk" '/^<!-- eseguito dal controllo del pacchetto -->$/ {marked=1; next}
  marked && /^```sh$/ {n++; inside=1; next}
  inside && /^```$/ {inside=0; marked=0; next}
  inside {print > (dir "/" n ".sh")}' docs/manuale-insegnanti.md
[ "$(ls "$walk" | wc -l)" = 10 ] || fail "the manual should mark 10 command blocks as run here, not $(ls "$walk" | wc -l)"
if [ -n "$class_here" ]; then
  echo "    skipped: this machine has a class set up (group classe, /var/lib/tarvimonda, /etc/xdg/tarvimonda,"
  echo "    user maestra or a class record in $class_folder)"
else
  echo 'APT::Get::Assume-Yes "true";' >"$walk/apt.conf"   # apt asks nothing of a script
  run_block() {
    echo "    block $1: $(head -n 1 "$walk/$1.sh")"
    "${as_root[@]}" env APT_CONFIG="$walk/apt.conf" DEBIAN_FRONTEND=noninteractive bash -e "$walk/$1.sh" >"$walk/out" 2>&1 \
      || { cat "$walk/out" >&2; fail "the manual's block $1 failed"; }
  }
  plant() { printf '%s\r\n' "$2" | "${as_root[@]}" install -o nobody -g games -m 660 /dev/stdin "$class_folder/$1"; }
  walking=yes
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tarvimonda >/dev/null
  "${as_root[@]}" useradd -m maestra
  run_block 1
  [ "$(owner_mode "$keeper")" = "games:games 6755" ] && [ "$(owner_mode "$class_folder")" = "root:games 2770" ] \
    || fail "the manual's install did not install the keeper and the class folder"
  for file in esprle.txt nesprle.txt record.pending registro.csv; do plant "$file" x; done
  run_block 2
  [ "$("${as_root[@]}" ls "$class_folder")" = registro.csv ] || fail "resetting the record left: $("${as_root[@]}" ls "$class_folder")"
  run_block 3
  has "$(id -nG maestra)" '(^| )games( |$)' || fail "the teacher is not in group games"
  run_block 4
  conf=/etc/xdg/tarvimonda/tarvimonda.conf
  [ "$(owner_mode "$conf")" = "root:root 644" ] && grep -qx 'Folder=/mnt/tarvimonda' "$conf" \
    || fail "the lab's configuration is not written root 644 with the share's folder"
  echo '# modificato' | "${as_root[@]}" tee -a "$conf" >/dev/null
  edited=$(cat "$conf")
  run_block 4
  [ "$(cat "$conf")" = "$edited" ] || fail "the lab's command overwrote a configuration the teacher edited"
  run_block 5
  [ "$(owner_mode /var/lib/tarvimonda)" = "root:classe 2775" ] || fail "the teacher's group folder is not group classe, 2775"
  run_block 6
  handed=/home/maestra/registro-marzo.csv
  [ "$(owner_mode "$handed")" = "maestra:maestra 600" ] && [ ! -e "$class_folder/registro.csv" ] \
    || fail "the register was not handed to the teacher as her own (0600): $(owner_mode "$handed" 2>&1)"
  plant esprle.txt 7
  run_block 7
  [ ! -e /usr/bin/tarvimonda ] && [ ! -e "$keeper" ] && [ ! -e "$register" ] || fail "apt remove left the programs"
  [ "$("${as_root[@]}" cat "$class_folder/esprle.txt")" = $'7\r' ] && [ -d /var/lib/tarvimonda ] \
    || fail "apt remove should keep the class record and the teacher's folder"
  # Another game's scores beside ours, and /var/games itself, outlive the purge.
  "${as_root[@]}" install -D -m 644 /dev/null /var/games/altro-gioco/punteggi
  run_block 8
  [ ! -e "$class_folder" ] || fail "apt purge left $class_folder"
  [ -f /var/games/altro-gioco/punteggi ] || fail "apt purge removed another game's files in /var/games"
  "${as_root[@]}" rm -r /var/games/altro-gioco
  [ -z "$(dpkg-query -W -f='${db:Status-Status}' tarvimonda 2>/dev/null)" ] \
    || [ "$(dpkg-query -W -f='${db:Status-Status}' tarvimonda)" = not-installed ] || fail "apt purge left the package's state"
  run_block 9
  [ ! -e /etc/xdg/tarvimonda ] && ! has "$(id -nG maestra)" '(^| )games( |$)' \
    || fail "the configuration or the teacher's place in group games stayed"
  run_block 10
  [ ! -e /var/lib/tarvimonda ] && ! getent group classe >/dev/null || fail "the teacher's group folder stayed"
  "${as_root[@]}" userdel -r maestra 2>/dev/null
  walking=
  echo "    installed, reset, teacher in games, lab configuration kept once edited, group folder,"
  echo "    register handed over, removed (record kept), purged (record gone), cleaned up"
fi

echo "check-package: OK ($deb)"
