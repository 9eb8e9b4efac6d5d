#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing, then configures and
# builds. Safe to run again: it installs only what is missing and rebuilds incrementally.
#   scripts/setup.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev libgl-dev googletest libgtest-dev libgmock-dev
          xvfb xauth clang libclang-rt-14-dev clang-tidy clang-format
          curl default-jre-headless default-jdk-headless libmondrian-java libjetty9-java
          libhsqldb-java libslf4j-java libcommons-collections3-java libcommons-lang3-java
          libcommons-io-java libxerces2-java libservlet-api-java python3 openssl cmark-gfm
          python3-jsonschema chromium chromium-driver python3-selenium linkchecker)
scripts/install-packages.sh "${packages[@]}"

build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLORVANTIC_WERROR=ON "$@" >/dev/null
# The official SARIF 2.1.0 schema, which the SARIF test of kavenor check validates against: from
# the npm package that ships it, into the build folder (not the repository). Without it (no
# npm, no registry) that test is skipped.
schema="$build/sarif/sarif-2.1.0.json"
if [ ! -s "$schema" ]; then
  command -v npm >/dev/null || scripts/install-packages.sh npm || true
  fetch=$(mktemp -d)
  if (cd "$fetch" && npm pack --silent @microsoft/sarif-multitool-linux@5.7.0 >/dev/null 2>&1 &&
      tar -xzf microsoft-sarif-multitool-linux-5.7.0.tgz package/sarif-2.1.0.json); then
    mkdir -p "$build/sarif" && mv "$fetch/package/sarif-2.1.0.json" "$schema"
  else
    echo "setup: could not fetch the SARIF 2.1.0 schema (npm); its test will be skipped" >&2
  fi
  rm -rf "$fetch"
fi
cmake --build "$build"
