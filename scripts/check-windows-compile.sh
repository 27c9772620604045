#!/usr/bin/env bash
# Compiles the platform layer, the common services and the Internet Explorer
# subsystem for Windows with MinGW-w64 (warnings are errors), so that the
# Win32 backend cannot fall behind the POSIX one unnoticed.
#
# Usage: scripts/check-windows-compile.sh [build-folder]   (default build-win-check)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${1:-build-win-check}"
jobs="${MARKSAFE_JOBS:-2}"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  echo "Installing the MinGW-w64 cross compiler" >&2
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends \
    g++-mingw-w64-x86-64 mingw-w64-tools cmake make
fi

cmake -S . -B "$build_dir" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release \
  -DMARKSAFE_CORE_ONLY=ON \
  -DMARKSAFE_BUILD_TESTS=OFF \
  -DMARKSAFE_BUILD_TOOLS=OFF
cmake --build "$build_dir" --target ms_platform ms_common ms_ie -j"$jobs"

# Links the three into a DLL as well, so that every Win32 call the backend
# makes resolves against the system libraries.
x86_64-w64-mingw32-g++-posix -shared -o "$build_dir/marksafe-core-check.dll" \
  -Wl,--whole-archive "$build_dir/libms_ie.a" "$build_dir/libms_common.a" \
  "$build_dir/libms_platform.a" -Wl,--no-whole-archive \
  -static -static-libgcc -static-libstdc++ \
  -lshlwapi -lshell32 -lpsapi -lwtsapi32 -ladvapi32 -luser32 -lbcrypt \
  -lnormaliz
echo "Windows compile check passed: ms_platform, ms_common and ms_ie compile and link"
