#!/usr/bin/env bash
# Installs what the project needs, builds it and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/steps.sh
step setup bash scripts/setup.sh
step build bash -c 'cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENDRIK_WERROR=ON &&
                    cmake --build build'
# Two tests at a time; the tests declare what they cannot share (tests/CMakeLists.txt).
step tests bash -c 'cd build && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure'
