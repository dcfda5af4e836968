#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# only those that are missing; safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-translations-l10n libsqlite3-dev
  fonts-liberation2 fonts-dejavu-core
  nodejs chromium firefox-esr libbenchmark-dev
  libgmime-3.0-dev qt6-pdf-dev poppler-utils
  dpkg-dev file lintian desktop-file-utils appstream man-db
  qt6-charts-dev libqt6opengl6-dev
  libreoffice-calc-nogui
  libopencv-dev libopencv-contrib-dev libqrencode-dev zbar-tools
  libzbar-dev libtiff-dev
  "$@"
)

# Some machines carry a Node.js that brings its own npm; Debian's npm is only
# needed where no npm command is there.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
