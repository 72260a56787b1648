#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# --sanitize builds and runs the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build
options=(-DCMAKE_BUILD_TYPE=Debug)
if [[ "${1:-}" == "--sanitize" ]]; then
  build=build-sanitize
  options+=(-DSTAMPORA_SANITIZE=ON)
  # Leak detection is on: the program's own code must free what it allocates. The
  # few third-party leaks it cannot free are listed, with reasons, in the file below.
  # GCC 12's leak checker can crash scanning a garbled dynamic-TLS range, so
  # __tls_get_addr is not intercepted: dynamic TLS then goes unscanned, which could
  # only add leak reports, never hide one.
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:intercept_tls_get_addr=0
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi

cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build" -j"$(nproc)"
cd "$build"
# Tests that need a real X server run under xvfb-run; the rest are headless.
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure --no-tests=error -j"$(nproc)"
