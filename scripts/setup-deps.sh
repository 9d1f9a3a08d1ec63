#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine.
# Runs apt-get only when a package is missing, so repeated runs are quick.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config
      qt6-base-dev libqt6svg6 libgl-dev
      libcairo2-dev libfontconfig-dev fonts-liberation2
      libfftw3-dev poppler-utils
      x11proto-dev
      googletest libgtest-dev libgmock-dev libbenchmark-dev
      clang libclang-rt-14-dev clang-format
      locales)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The locale tests run the program under a locale with a decimal comma and compare it with the
# English one: both must exist.
missing_locales=()
for l in de_DE en_US; do
  locale -a 2>/dev/null | grep -qix "$l.utf-\?8" || missing_locales+=("$l")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  for l in "${missing_locales[@]}"; do
    $SUDO localedef -i "$l" -f UTF-8 "$l.UTF-8"
  done
fi
