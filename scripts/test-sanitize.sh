#!/usr/bin/env bash
# Builds the project a second time with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs every test there: any memory error or undefined behaviour fails the run.
# The tools no test runs (benchmarks, picture drawing) are left out of this build.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/steps.sh
step setup bash scripts/setup.sh
step "sanitizer build" bash -c 'cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZENDRIK_SANITIZE=ON \
                                  -DZENDRIK_WERROR=ON -DZENDRIK_DEV_TOOLS=OFF && cmake --build build-asan'
# Leaks are not looked for: Qt keeps process-lifetime allocations that the leak checker reports.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
step "sanitizer tests" bash -c 'cd build-asan && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure'
