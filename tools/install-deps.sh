#!/usr/bin/env bash
# Installs the Debian 12 packages Dravik needs to build, test and run.
set -euo pipefail
packages=(
  build-essential cmake ninja-build clang-format
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  fonts-ipafont-gothic
  libcurl4-openssl-dev libsimdjson-dev libsqlite3-dev qt6-svg-dev openssl libssl-dev
  nginx-light xvfb xauth imagemagick xdotool qt6-translations-l10n
  dpkg-dev file lintian desktop-file-utils appstream man-db
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
