#!/usr/bin/env bash
# Builds the Debian package and checks it the way a classroom machine uses it:
#   1. installs what building and checking need (apt; sudo when not root);
#   2. validates the menu entry and the AppStream metainfo in packaging/;
#   3. builds the package with scripts/package.sh (Release, Debian's
#      hardening flags), stages `cmake --install` and validates the staged
#      tree (entry, metainfo and icon found together);
#   4. checks the .deb: lintian with no error and no warning, its
#      dependencies, no maintainer scripts, the hardening of the program;
#   5. checks every shell command of the teachers' manual with `bash -n`;
#   6. installs it with apt, checks that the program, menu entry, metainfo,
#      icon, manual page and documents are where the desktop looks for them,
#      and that the program answers --help and wrong options in Italian
#      without a display;
#   7. starts the installed program headless (offscreen, then on an X
#      server under Xvfb): it must still be running at its name prompt after
#      a few seconds; then ends it;
#   8. runs the manual's commands marked as run here, as written, as root.
# Exits non-zero with a message at the first failure. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-pkg
app_id=org.example.tarvimonda
jobs=${JOBS:-2}

fail() {
  echo "check-package: FAILED: $*" >&2
  exit 1
}
step() { echo "==> $*"; }

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)

step "Installing what building and checking need"
bash scripts/install-deps.sh desktop-file-utils appstream dpkg-dev file xvfb xauth lintian man-db
# Nothing of this machine's own configuration reaches the programs run here.
scratch_config=$(mktemp -d)
trap 'rm -rf "$scratch_config"' EXIT
export XDG_CONFIG_HOME=$scratch_config/home XDG_CONFIG_DIRS=$scratch_config/dirs

step "Validating the menu entry and the metainfo"
desktop-file-validate "packaging/$app_id.desktop" || fail "desktop-file-validate rejects packaging/$app_id.desktop"
appstreamcli validate --no-net "packaging/$app_id.metainfo.xml" \
  || fail "appstreamcli rejects packaging/$app_id.metainfo.xml"

step "Building the package (scripts/package.sh)"
deb=$(bash scripts/package.sh) || fail "scripts/package.sh could not make the package"
version=$(dpkg-deb -f "$deb" Version)
echo "    $deb"

step "Validating the installed tree"
stage="$build/stage"
rm -rf "$stage"
DESTDIR="$PWD/$stage" cmake --install "$build" --prefix /usr >/dev/null
appstreamcli validate-tree --no-net "$stage" || fail "appstreamcli rejects the installed tree in $stage"

step "lintian"
# Errors and warnings fail; information tags are shown.
lintian_out=$(lintian --info --display-info "$deb" 2>&1 | grep -v '^running with root privileges' || true)
[ -z "$lintian_out" ] || grep '^[EWI]:' <<<"$lintian_out" | sed 's/^/    /'
! grep -q '^[EW]:' <<<"$lintian_out" || fail "lintian reports errors or warnings on $deb"
[ "$(dpkg-parsechangelog -l packaging/changelog -S Version)" = "$version" ] \
  || fail "packaging/changelog does not start with version $version"

step "Hardening of the program"
program="$build/tarvimonda"
# Each tool's whole output is read first: "tool | grep -q" under pipefail
# fails at random when grep stops reading early and the tool gets SIGPIPE.
has() { grep -q -- "$2" <<<"$1"; }
header=$(readelf -h "$program"); segments=$(readelf -l "$program")
dynamic=$(readelf -d "$program"); symbols=$(nm -D "$program")
has "$header" 'DYN (Position-Independent' || fail "the program is not PIE"
has "$segments" GNU_RELRO || fail "the program has no RELRO"
has "$dynamic" 'BIND_NOW' || fail "the program is not bound at once (-z now)"
has "$symbols" '__stack_chk_fail' || fail "the program has no stack protector"
has "$symbols" '_chk@' || fail "the program has no fortified functions"
echo "    PIE, RELRO, BIND_NOW, stack protector, fortified functions"

step "The manual's commands (bash -n)"
blocks=$(mktemp -d)
awk -v dir="$blocks" '/^```sh$/ {n++; inside=1; next} /^```$/ {inside=0; next} inside {print > (dir "/" n ".sh")}' \
  docs/manuale-insegnanti.md
for block in "$blocks"/*.sh; do
  bash -n "$block" || fail "a command block of the manual is not valid shell: $(cat "$block")"
done
echo "    $(ls "$blocks" | wc -l) blocks"
rm -rf "$blocks"

depends=$(dpkg-deb -f "$deb" Depends)
echo "    Depends: $depends"
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 fonts-liberation2; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "the package does not depend on $needed"
done
control_files=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)
for script in preinst postinst prerm postrm; do
  ! grep -Eq "(^|/)$script$" <<<"$control_files" || fail "the package has a $script script"
done

step "Installing the package with apt"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "./$deb" >/dev/null \
  || fail "apt-get could not install $deb"
[ "$(dpkg-query -W -f='${Version}' tarvimonda)" = "$version" ] || fail "tarvimonda $version is not installed"

installed=(
  /usr/bin/tarvimonda
  "/usr/share/applications/$app_id.desktop"
  "/usr/share/metainfo/$app_id.metainfo.xml"
  /usr/share/icons/hicolor/scalable/apps/tarvimonda.svg
  /usr/share/doc/tarvimonda/examples/tarvimonda.conf.example
  /usr/share/doc/tarvimonda/manuale-insegnanti.md
  /usr/share/doc/tarvimonda/copyright
  /usr/share/doc/tarvimonda/changelog.gz
  /usr/share/man/man6/tarvimonda.6.gz
)
for path in "${installed[@]}"; do
  [ -f "$path" ] || fail "$path is missing after installing the package"
  owner=$(dpkg -S "$path" 2>/dev/null || true)
  [[ $owner == tarvimonda:* ]] || fail "$path does not belong to the tarvimonda package"
  echo "    $path"
done
[ -x /usr/bin/tarvimonda ] || fail "/usr/bin/tarvimonda is not executable"
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
[ "$("${no_display[@]}" /usr/bin/tarvimonda --version)" = "tarvimonda $version" ] \
  || fail "the installed program does not answer --version without a display"
has "$("${no_display[@]}" /usr/bin/tarvimonda --help)" '^Uso: tarvimonda' || fail "--help is not in Italian"
for wrong in --record-folder --recordfolder -platform; do
  status=0
  message=$("${no_display[@]}" /usr/bin/tarvimonda "$wrong" 2>&1) || status=$?
  [ "$status" = 2 ] && [[ $message == "tarvimonda: "* ]] && [ "$(wc -l <<<"$message")" = 1 ] \
    || fail "'tarvimonda $wrong' without a display gave status $status: $message"
  echo "    tarvimonda $wrong: $message"
done
has "$(MANWIDTH=80 man -P cat tarvimonda 2>/dev/null)" 'SINTASSI' || fail "man tarvimonda does not show the Italian manual page"
[[ $(file -b /usr/bin/tarvimonda) == ELF* ]] || fail "/usr/bin/tarvimonda is not an ELF program"
missing=$(ldd /usr/bin/tarvimonda | grep 'not found' || true)
[ -z "$missing" ] || fail "/usr/bin/tarvimonda misses libraries: $missing"
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
# manual's order: 1 install, 2 reset the class record, 3 the class folder,
# 4 a new register, 5 uninstall, 6 remove what stays. Run only on a machine
# with no class set up (a CI machine), never over a teacher's real one.
walk=$(mktemp -d)
awk -v dir="$walk" '/^<!-- eseguito dal controllo del pacchetto -->$/ {marked=1; next}
  marked && /^```sh$/ {n++; inside=1; next}
  inside && /^```$/ {inside=0; marked=0; next}
  inside {print > (dir "/" n ".sh")}' docs/manuale-insegnanti.md
[ "$(ls "$walk" | wc -l)" = 6 ] || fail "the manual should mark 6 command blocks as run here, not $(ls "$walk" | wc -l)"
if getent group classe >/dev/null || [ -e /var/lib/tarvimonda ] || [ -e /etc/xdg/tarvimonda ] || id maestra >/dev/null 2>&1; then
  echo "    skipped: this machine has a class set up (group classe, /var/lib/tarvimonda, /etc/xdg/tarvimonda or user maestra)"
else
  echo 'APT::Get::Assume-Yes "true";' >"$walk/apt.conf"   # apt asks nothing of a script
  run_block() {
    echo "    block $1: $(head -n 1 "$walk/$1.sh")"
    "${as_root[@]}" env APT_CONFIG="$walk/apt.conf" DEBIAN_FRONTEND=noninteractive bash -e "$walk/$1.sh" >"$walk/out" 2>&1 \
      || { cat "$walk/out" >&2; fail "the manual's block $1 failed"; }
  }
  "${as_root[@]}" useradd -m maestra
  run_block 1
  [ -x /usr/bin/tarvimonda ] || fail "the manual's install did not install the program"
  run_block 3
  [ "$(stat -c '%G %a' /var/lib/tarvimonda)" = "classe 2775" ] || fail "the class folder is not group classe, 2775"
  for file in esprle.txt nesprle.txt record.pending registro.csv; do echo x | "${as_root[@]}" tee "/var/lib/tarvimonda/$file" >/dev/null; done
  run_block 2
  [ "$(ls /var/lib/tarvimonda)" = registro.csv ] || fail "resetting the record left: $(ls /var/lib/tarvimonda)"
  run_block 4
  [ "$(stat -c %U /home/maestra/registro-marzo.csv)" = maestra ] && [ ! -e /var/lib/tarvimonda/registro.csv ] \
    || fail "the register was not handed to the teacher"
  run_block 5
  [ ! -e /usr/bin/tarvimonda ] && [ -d /var/lib/tarvimonda ] && getent group classe >/dev/null \
    || fail "after apt remove, the program should be gone and the class folder and group stay"
  run_block 6
  [ ! -e /var/lib/tarvimonda ] && ! getent group classe >/dev/null || fail "what stays was not removed"
  "${as_root[@]}" userdel -r maestra 2>/dev/null
  echo "    installed, class folder, reset, new register, uninstalled, cleaned up"
fi
rm -rf "$walk"

echo "check-package: OK ($deb)"
