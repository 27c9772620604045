#!/usr/bin/env bash
# Builds marksafe and runs its demonstration on a sandbox profile.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DMARKSAFE_BUILD_TESTS=OFF
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target marksafe_cli
./build/tools/marksafe demo "$@"
