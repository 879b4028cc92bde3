#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test. Idempotent.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config lld
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6opengl6-dev
  libsqlite3-dev sqlite3 libxml2-dev libjpeg62-turbo-dev libxlsxwriter-dev libxlsxwriter4
  libgtest-dev libgmock-dev libbenchmark-dev python3-openpyxl
  fonts-noto-cjk fonts-arphic-uming xvfb xauth openbox x11-utils xdotool
  clang-format
  desktop-file-utils appstream qt6-translations-l10n dpkg-dev file
  postgresql postgresql-common libqt6sql6-psql libpq-dev
  libopencc-dev libopencc-data libicu-dev
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
