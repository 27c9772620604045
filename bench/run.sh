#!/usr/bin/env bash
# Builds marksafe in Release mode with the benchmark and prints its table.
#   bench/run.sh [SIZE...]     (default: 1000 10000 100000; 1000000 works too,
#                               with about 40 GB of free disk and hours)
# The data is generated under build-bench/bench-data; BENCH_JOBS sets the
# build's parallelism (default 2).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(dirname "$here")"
build="${BENCH_BUILD_DIR:-$top/build-bench}"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMARKSAFE_BUILD_BENCH=ON \
  -DMARKSAFE_BUILD_TESTS=OFF -DMARKSAFE_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target marksafe_bench -j "${BENCH_JOBS:-2}" >/dev/null
if [ "$#" -eq 0 ]; then set -- 1000 10000 100000; fi
exec "$build/bench/marksafe_bench" --dir "$build/bench-data" "$@"
