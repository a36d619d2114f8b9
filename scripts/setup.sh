#!/usr/bin/env bash
# Installs what building, running and testing need, from Debian's packages,
# only when something is missing. Run as root (or with sudo available).
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libpugixml-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  fonts-liberation
  python3 python3-dbfread shapelib
  xvfb xauth x11-apps x11-utils xdotool
  desktop-file-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Instalando: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
