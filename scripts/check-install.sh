#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks that another program can
# use it: the installed `marksafe` runs, and a small C program finds the
# library through find_package(marksafe) and through pkg-config.
#   scripts/check-install.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
env -u LD_LIBRARY_PATH "$prefix/bin/marksafe" --version

mkdir -p "$scratch/consumer"
cat >"$scratch/consumer/main.c" <<'C'
#include <stdio.h>
#include <marksafe/marksafe.h>
int main(void) {
  printf("consumer sees marksafe %s\n", marksafe_version());
  return 0;
}
C
cat >"$scratch/consumer/CMakeLists.txt" <<'C'
cmake_minimum_required(VERSION 3.16)
project(consumer C)
find_package(marksafe REQUIRED)
add_executable(consumer main.c)
target_link_libraries(consumer PRIVATE marksafe::marksafe)
C
cmake -S "$scratch/consumer" -B "$scratch/consumer/build" \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$scratch/consumer/build" >/dev/null
"$scratch/consumer/build/consumer"

flags="$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs marksafe)"
# shellcheck disable=SC2086
cc "$scratch/consumer/main.c" $flags -Wl,-rpath,"$prefix/lib" \
  -o "$scratch/consumer/with-pkg-config"
"$scratch/consumer/with-pkg-config"
