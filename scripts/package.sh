#!/usr/bin/env bash
# Builds the Debian source and binary packages with dpkg-buildpackage and
# prints the binary package's absolute path, nothing more, on standard output:
#   bash scripts/package.sh   ->  /…/build-pkg/tarvimonda_<version>_<arch>.deb
# Beside it in build-pkg/: the source package (.dsc, .tar.xz), the .changes,
# the .buildinfo and the debug symbols (.ddeb).
#
# Runs as root (CI) or as a normal account: then fakeroot stands in for root,
# and sudo is used only to install missing build tools. The build happens on
# a copy of the sources in build-pkg/, so nothing is left in the source tree
# and everything made belongs to the account that ran it. Debian's hardening
# (hardening=+all) and the rest of the build are in debian/rules.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$PWD/build-pkg
bash scripts/install-deps.sh dpkg-dev debhelper fakeroot >&2
# Whatever else debian/control asks for, so that the two never disagree.
unmet=$(dpkg-checkbuilddeps 2>&1 | sed -n 's/^.*Unmet build dependencies: //p' | sed -e 's/([^)]*)//g' -e 's/|[^ ]*//g')
if [ -n "$unmet" ]; then
  # shellcheck disable=SC2086 # one package name a word
  bash scripts/install-deps.sh $unmet >&2
fi

source=$(dpkg-parsechangelog -S Source)
version=$(dpkg-parsechangelog -S Version)
tree=$build/$source-$version
rm -rf "$tree"
rm -f "$build/${source}_"* "$build/${source}-dbgsym_"*
mkdir -p "$tree"
# The sources only: no build folder, no version control, nothing a
# dpkg-buildpackage run left in a tree it was once started in.
tar -C . --anchored --exclude=./build* --exclude=./.git --exclude=./obj-* \
  --exclude=./debian/.debhelper --exclude=./debian/tarvimonda --exclude=./debian/tarvimonda-dbgsym \
  --exclude=./debian/files --exclude=./debian/debhelper-build-stamp --exclude='./debian/*.substvars' \
  -cf - . | tar -C "$tree" -xf -

# -us -uc: nothing is signed. nocheck: the suite is not built here (it runs
# on the sources, scripts/test.sh); terse: the build's commands are not
# echoed. The output goes to standard error: standard output carries the
# package's path alone.
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }nocheck terse"
(cd "$tree" && dpkg-buildpackage -us -uc -J"${JOBS:-2}" >&2)
rm -rf "$tree"

deb=$build/${source}_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "package: dpkg-buildpackage did not make $deb" >&2; exit 1; }
echo "$deb"
