#!/usr/bin/env bash
# Builds marksafe and runs every test. With --sanitize, builds in
# build-sanitize with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  extra=(-DMARKSAFE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -DMARKSAFE_BUILD_TESTS=ON "${extra[@]}"
cmake --build "$build" -j"$jobs"
# Two at a time: the tests that start browser processes (real or made up
# from system programs) share a resource lock; every other test sees a
# made-up process list of its own.
ctest --test-dir "$build" -j2 --output-on-failure --no-tests=error
