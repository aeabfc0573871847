#!/usr/bin/env bash
# The engine as another project uses it: installs lb_engine from the build
# folder into a temporary prefix, configures examples/minimal out of tree
# against that prefix alone, builds it, renders one 320x180 frame on the test
# run's X server and compares it with tests/reference/example-minimal.png
# (ExampleFrame.MatchesTheCommittedReference in lb_tests, with the tolerances of
# the scene references). With LB_UPDATE_REFERENCE=1 the new frame replaces the
# reference instead: look at it and commit it.
set -u
build=${1:?usage: e2e_example.sh BUILD_DIR}
build=$(cd "$build" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
frame_time=3  # seconds: the cube shows three faces and the glow of its brace
fail=0
note() { echo "e2e_example: $*"; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Runs a step quietly; on failure shows its output and ends the test.
step() {
  local what=$1
  shift
  if ! "$@" >"$tmp/step.log" 2>&1; then
    note "$what failed: $*"
    cat "$tmp/step.log"
    exit 1
  fi
}

if [ -z "${DISPLAY:-}" ]; then
  note "no DISPLAY: run the test command, which starts Xvfb"
  exit 1
fi

# 1. Install the engine alone and build the example against it. No package
# registry and no path into this tree: only the prefix can satisfy find_package.
# ccache (when present) keeps rebuilds quick: paths under the temporary folder
# are hashed relative to it, and a Release build carries no folder names.
prefix="$tmp/prefix"
step "installing the engine" cmake --install "$build" --prefix "$prefix" --component engine
extra=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$tmp"
  extra=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# A sanitizer build's engine needs the sanitizer runtimes at link time.
if grep -qE '^LB_(SANITIZE|FUZZ):BOOL=ON' "$build/CMakeCache.txt"; then
  extra+=(-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined)
fi
step "configuring the example" cmake -S "$root/examples/minimal" -B "$tmp/example" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF "${extra[@]}"
if grep -rqs -e "$root/engine" -e "$build/" "$tmp/example/CMakeCache.txt" "$tmp/example/CMakeFiles/minimal.dir"; then
  note "the example's build refers to the source tree or the build folder, not only to the prefix"
  fail=1
fi
step "building the example" cmake --build "$tmp/example" -j2

# 2. Its command line: --help succeeds, --frame without --out is refused.
example="$tmp/example/minimal"
if ! "$example" --help | grep -q -- "--frame"; then
  note "--help does not describe --frame"
  fail=1
fi
if "$example" --frame 1 >/dev/null 2>&1; then
  note "--frame without --out was accepted"
  fail=1
fi

# 3. One frame, from another working folder and with a relative output path:
# the example finds its data beside itself.
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-x11} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
mkdir "$tmp/run"
step "rendering a frame" bash -c "cd '$tmp/run' && '$example' --frame $frame_time --out frame.png"
if [ "${LB_UPDATE_REFERENCE:-0}" = 1 ]; then
  cp "$tmp/run/frame.png" "$root/tests/reference/example-minimal.png"
  note "wrote tests/reference/example-minimal.png (t = $frame_time s); look at it and commit it"
  exit $fail
fi
if ! LB_EXAMPLE_FRAME="$tmp/run/frame.png" "$build/tests/lb_tests" \
    --gtest_filter=ExampleFrame.MatchesTheCommittedReference >"$tmp/compare.log" 2>&1 ||
    ! grep -q "PASSED.*1 test" "$tmp/compare.log" || grep -q "SKIPPED" "$tmp/compare.log"; then
  note "the frame does not match the reference:"
  cat "$tmp/compare.log"
  fail=1
fi
exit $fail
