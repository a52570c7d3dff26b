#!/usr/bin/env bash
# Shared set-up for demo.sh and test.sh: installs the Debian packages that are
# missing (through sudo when not root), then configures and builds a preset.
# Usage: scripts/setup.sh [PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."

PRESET=${1:-default}
PACKAGES=(cmake ninja-build g++ pkg-config libsdl2-dev libopenmpt-dev zlib1g-dev
          libfreetype-dev fonts-dejavu-core libgtest-dev libgmock-dev libbenchmark-dev
          libpixman-1-dev ffmpeg xvfb xdotool x11-apps clang libclang-rt-14-dev
          libmspack-dev gcab cabextract)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset "$PRESET" >/dev/null
cmake --build --preset "$PRESET" -j "$(nproc)"
