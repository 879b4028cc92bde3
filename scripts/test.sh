#!/usr/bin/env bash
# Installs what the project needs, builds it and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENDRIK_WERROR=ON
cmake --build build
cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure
