#!/usr/bin/env bash
# The longer check: the static checks (clang-format, clang-tidy), 30 s of each fuzz target, the
# whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, the Debian packages (built,
# installed, used and purged: scripts/package-check.sh), and last the README's test
# command, so that CTest's summary is the last test output. Every stage runs; any failure fails
# the run.
set -uo pipefail
cd "$(dirname "$0")/.."
failed=()
stage() {
  local name=$1
  shift
  local start=$SECONDS
  echo "=== $name"
  "$@" || failed+=("$name")
  echo "=== $name: $((SECONDS - start)) s"
}
# setup.sh installs the packages every stage needs (clang and its fuzzer runtime included).
stage setup scripts/setup.sh build
# clang-tidy reads build/compile_commands.json, which setup's build writes.
stage lint scripts/lint.sh build
stage fuzz fuzz/run.sh all 30
stage sanitizers scripts/test-asan.sh
stage packages scripts/package-check.sh
if [ ${#failed[@]} -gt 0 ]; then
  echo "=== failed: ${failed[*]}"
fi
scripts/test.sh build || failed+=(tests)
[ ${#failed[@]} -eq 0 ]
