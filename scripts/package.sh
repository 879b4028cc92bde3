#!/usr/bin/env bash
# Builds the Debian package build/zendrik_<version>_<arch>.deb and shows what it holds.
# Install it with: sudo apt install ./build/zendrik_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
rm -f build/zendrik_*.deb
(cd build && cpack -G DEB)
deb=$(ls build/zendrik_*.deb)
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"
# The desktop entry and the metainfo as packaged.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
desktop-file-validate "$tmp"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$tmp"/usr/share/metainfo/*.metainfo.xml
echo "package: $deb"
