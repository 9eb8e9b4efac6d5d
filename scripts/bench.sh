#!/usr/bin/env bash
# Builds the benchmark in Release into build-bench and runs it: a generated server of about
# 100 MB (4x) and one of 25 MB (1x), one figure per line, then the growth and the goals.
# Exit code 0 when every goal is met.
#   scripts/bench.sh [--megabytes N] [--repeat N] [--keep FOLDER]
#   scripts/bench.sh --live [--cubes N] [--repeat N] [--keep FOLDER] [--tls-gzip]   a live XMLA server
#                                             instead; --tls-gzip: through a TLS front answering in gzip
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORVANTIC_WERROR=ON >/dev/null
cmake --build build-bench --target lorvantic_bench lorvantic_gen >/dev/null
QT_QPA_PLATFORM=offscreen LC_ALL=C build-bench/bench/lorvantic_bench "$@"
