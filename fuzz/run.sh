#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) and runs them.
#   fuzz/run.sh TARGET|all SECONDS [WORKERS]
# TARGET is one of the fuzz_* names below. Each target starts from its seed corpus in
# fuzz/corpus/<target>/ and keeps what it learns in build-fuzz/corpus/<target>/ (the seeds in
# the repository are never changed). A finding is saved under build-fuzz/artifacts/<target>/ and
# makes the script exit non-zero; reproduce it with build-fuzz/<target> FILE.
# WORKERS (default 1) runs that many processes per target; keep it within the machine's cores.
# LORVANTIC_FUZZ_TIMEOUT (seconds, default 10) is how long one input may take before it counts
# as a hang; raise it when the fuzzers share the machine with other work at a lower priority,
# or a starved process reports a hang that is none.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(fuzz_jsondescription fuzz_mondrianschema fuzz_asslschema fuzz_xmlaresponse fuzz_texthelpers)
if [ $# -lt 2 ]; then
  echo "usage: fuzz/run.sh TARGET|all SECONDS [WORKERS]   targets: ${targets[*]}" >&2
  exit 2
fi
which=$1 seconds=$2 workers=${3:-1}
if [ "$which" = all ]; then
  selected=("${targets[@]}")
elif [[ " ${targets[*]} " == *" $which "* ]]; then
  selected=("$which")
else
  echo "unknown fuzz target: $which (one of: ${targets[*]} or all)" >&2
  exit 2
fi

build=${LORVANTIC_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S fuzz -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target "${selected[@]}"

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen LC_ALL=C TZ=UTC
failed=0
for target in "${selected[@]}"; do
  corpus=$build/corpus/$target artifacts=$build/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  options=(-max_total_time="$seconds" -timeout="${LORVANTIC_FUZZ_TIMEOUT:-10}" -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1
           -artifact_prefix="$artifacts/")
  [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
  if [ "$workers" -gt 1 ]; then
    options+=(-fork="$workers" -ignore_crashes=0)
  fi
  echo "== $target: $seconds s, $workers worker(s)"
  log=$build/$target.log
  if "$build/$target" "${options[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    grep -E "^(#[0-9]+.*DONE|Done [0-9]+ runs|stat::number_of_executed_units)" "$log" | tail -2 || true
  else
    failed=1
    tail -40 "$log"
    echo "== $target FAILED: findings in $artifacts/ (log: $log)"
  fi
done
exit $failed
