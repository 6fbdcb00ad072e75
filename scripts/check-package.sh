#!/usr/bin/env bash
# Builds the Debian package and checks it the way a classroom machine uses it:
#   1. installs what building and checking need (apt; sudo when not root);
#   2. validates the menu entry and the AppStream metainfo in packaging/;
#   3. builds a Release tree in build-pkg/, stages `cmake --install` and
#      validates the staged tree (entry, metainfo and icon found together);
#   4. makes the .deb with cpack and checks its dependencies and that it has
#      no maintainer scripts;
#   5. installs it with apt, checks that the program, menu entry, metainfo
#      and icon are where the desktop looks for them;
#   6. starts the installed program headless (offscreen, then on an X
#      server under Xvfb): it must still be running at its name prompt after
#      a few seconds; then ends it.
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
bash scripts/install-deps.sh desktop-file-utils appstream dpkg-dev file xvfb xauth

step "Validating the menu entry and the metainfo"
desktop-file-validate "packaging/$app_id.desktop" || fail "desktop-file-validate rejects packaging/$app_id.desktop"
appstreamcli validate --no-net "packaging/$app_id.metainfo.xml" \
  || fail "appstreamcli rejects packaging/$app_id.metainfo.xml"

step "Building $build/ (Release)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIMONDA_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs"

step "Validating the installed tree"
stage="$build/stage"
rm -rf "$stage"
DESTDIR="$PWD/$stage" cmake --install "$build" --prefix /usr >/dev/null
appstreamcli validate-tree --no-net "$stage" || fail "appstreamcli rejects the installed tree in $stage"

step "Making the Debian package"
rm -f "$build"/tarvimonda_*.deb
(cd "$build" && cpack -G DEB >/dev/null) || fail "cpack could not make the package"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/tarvimonda_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "cpack did not make $deb"
echo "    $deb"

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
)
for path in "${installed[@]}"; do
  [ -f "$path" ] || fail "$path is missing after installing the package"
  owner=$(dpkg -S "$path" 2>/dev/null || true)
  [[ $owner == tarvimonda:* ]] || fail "$path does not belong to the tarvimonda package"
  echo "    $path"
done
[ -x /usr/bin/tarvimonda ] || fail "/usr/bin/tarvimonda is not executable"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/tarvimonda --version)" = "tarvimonda $version" ] \
  || fail "the installed program does not answer --version without a display"
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

echo "check-package: OK ($deb)"
