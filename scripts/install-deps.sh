#!/usr/bin/env bash
# Installs every Debian package Pellar needs to build, test, benchmark and fuzz.
# Safe to run any number of times: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsqlite3-dev libssl-dev
  qtkeychain-qt6-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libhunspell-dev hunspell-en-us hunspell-de-de
  xvfb xauth imagemagick
  fonts-noto-color-emoji fonts-ipafont-gothic
  clang libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file groff-base lintian
  python3
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: everything is already installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
