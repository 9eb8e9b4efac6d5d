#!/usr/bin/env bash
# Builds the Debian packages lorvantic (program, library, samples, help, man page, completion,
# desktop entry) and liblorvantic-dev (headers, CMake package, pkg-config file) with CPack:
#   scripts/package.sh [extra cmake options...]
# The tree is configured in build/package for /usr with Debian's build flags (dpkg-buildflags)
# and without tests; the .deb files land in build/. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev libgl-dev dpkg-dev file)
scripts/install-packages.sh "${packages[@]}"

tree=build/package
# Debian's hardening flags, with immediate binding (-z now) as well.
flag() { DEB_BUILD_MAINT_OPTIONS=hardening=+bindnow dpkg-buildflags --get "$1"; }
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DLORVANTIC_WERROR=ON -DLORVANTIC_TESTS=OFF -DLORVANTIC_BENCH=OFF \
  -DCMAKE_C_FLAGS="$(flag CPPFLAGS) $(flag CFLAGS)" -DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $(flag CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)" -DCMAKE_SHARED_LINKER_FLAGS="$(flag LDFLAGS)" "$@" >/dev/null
cmake --build "$tree"
rm -rf "$tree/debs"
(cd "$tree" && cpack -G DEB -B "$PWD/debs" >/dev/null)
for deb in "$tree"/debs/*.deb; do
  rm -f build/"$(basename "${deb%%_*}")"_*.deb
  mv "$deb" build/
  echo "build/$(basename "$deb")"
done
