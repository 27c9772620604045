#!/usr/bin/env bash
# Builds the libFuzzer harnesses in fuzz/ with clang (AddressSanitizer,
# UndefinedBehaviorSanitizer, leak checking) and runs each for SECONDS
# (default 60). Exits non-zero when any harness finds a crash, a leak, a
# sanitizer report, a timeout or an out-of-memory input; the input is kept
# in build-fuzz/artifacts/ (replay: build-fuzz/fuzz/fuzz_<name> <file>).
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]     e.g. scripts/fuzz.sh 20 html places
#
# Each harness starts from its seeds in fuzz/corpus/<name>/ plus what earlier
# runs found (build-fuzz/corpus/<name>/, never written into the sources).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [SECONDS] [HARNESS...]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh
# clang and its runtime (libFuzzer and the sanitizers' libraries).
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi

build=build-fuzz
harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  for f in fuzz/fuzz_*.cc; do
    name=${f#fuzz/fuzz_}
    [ "$name" = "support.cc" ] || harnesses+=("${name%.cc}")
  done
fi
targets=()
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done

generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
cmake -S . -B "$build" "${generator[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARKSAFE_BUILD_FUZZERS=ON \
  -DMARKSAFE_BUILD_TESTS=OFF -DMARKSAFE_BUILD_TOOLS=OFF
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/artifacts"
failed=()
for h in "${harnesses[@]}"; do
  corpus="$build/corpus/$h"
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
           -max_len=65536 -print_final_stats=1
           -artifact_prefix="$build/artifacts/$h-")
  [ -f "fuzz/$h.dict" ] && options+=(-dict="fuzz/$h.dict")
  echo "== fuzz_$h for ${seconds} s =="
  log="$build/fuzz_$h.log"
  if "$build/fuzz/fuzz_$h" "${options[@]}" "$corpus" "fuzz/corpus/$h" >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
  else
    echo "fuzz_$h FOUND A PROBLEM (log: $log):" >&2
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" >&2 || tail -40 "$log" >&2
    failed+=("$h")
  fi
done

if ((${#failed[@]})); then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing: no findings (${harnesses[*]})"
