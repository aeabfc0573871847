#!/usr/bin/env bash
# Installs what is missing and builds everything (show, tools, data set, music,
# tests, benchmarks) into build/ (or $LB_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh" test
# Tests and benchmarks are named explicitly: scripts/run.sh turns them off in
# the same build folder.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=${LB_BUILD_TYPE:-RelWithDebInfo} \
  -DLB_BUILD_TESTS=ON -DLB_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
