#!/usr/bin/env bash
# Installs what the project needs, builds it (the build puts a demo database beside the
# executable when none is there) and starts the lookup window. Without a display it renders the
# main window offscreen against the same database and says where the picture is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/zendrik
fi
echo "No display: rendering the main window offscreen instead."
QT_QPA_PLATFORM=offscreen build/bin/zendrik-render main build/screenshot-main.png
echo "The main window, as it starts against build/bin/quorvel.mdb: build/screenshot-main.png"
