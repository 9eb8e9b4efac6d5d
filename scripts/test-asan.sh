#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (CMake preset "asan",
# folder build-asan) and runs the whole test suite under them; ends with CTest's summary.
# Any sanitizer report fails its test: errors halt the program, leaks are checked at exit
# (scripts/lsan.supp lists the few that belong to system libraries).
#   scripts/test-asan.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

cmake --preset asan >/dev/null
# The build runs the test programs to list their tests, so the options above apply there too.
cmake --build --preset asan

# The plain C host is not instrumented itself: the sanitizer runtime must be loaded before the
# instrumented library it opens, and the C++ runtime with it so that the runtime can catch the
# library's exceptions. CTest's preset leaves this test out and it runs here instead.
status=0
preload="$(gcc -print-file-name=libasan.so) $(g++ -print-file-name=libstdc++.so)"
echo "automation_chost (sanitized library, runtimes preloaded)"
LD_PRELOAD=$preload LC_ALL=C TZ=UTC build-asan/tests/automation/automation_chost \
  "$(realpath "$(find build-asan/automation -maxdepth 1 -name 'liblorvantic.so*' -type f | head -1)")" \
  && echo "automation_chost passed" || status=1

ctest --preset asan || status=1
exit $status
