#!/usr/bin/env bash
# Builds the Debian package and prints its path, nothing more:
#   bash scripts/package.sh      ->  build-pkg/tarvimonda_<version>_<arch>.deb
# Installs what building needs (apt; sudo when not root). The release build
# gets Debian's hardening flags as dpkg-buildflags gives them (fortify,
# stack protector, PIE, full RELRO with immediate binding).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-pkg
bash scripts/install-deps.sh dpkg-dev >&2

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
# Warnings stay warnings for whoever packages with another compiler; CI
# sets TARVIMONDA_WERROR=ON.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIMONDA_TESTS=OFF \
  -DTARVIMONDA_WERROR="${TARVIMONDA_WERROR:-OFF}" -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
  -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags -pie" >&2
cmake --build "$build" -j"${JOBS:-2}" >&2

rm -f "$build"/tarvimonda_*.deb
(cd "$build" && cpack -G DEB >&2)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/tarvimonda_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package: cpack did not make $deb" >&2; exit 1; }
echo "$deb"
