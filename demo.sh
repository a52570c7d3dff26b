#!/usr/bin/env bash
# Installs what is missing, builds, generates Data/ and plays the demo: in a
# window where there is a display, else recorded to a video file.
# Extra arguments go to the program (e.g. ./demo.sh /STRETCH).
set -euo pipefail
cd "$(dirname "$0")"
# The same build as ./test.sh, so the two share their work.
scripts/setup.sh default
bin=build/default/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/veltrane" "$@"
fi
mkdir -p out
echo "demo.sh: no display found; recording the demo to a video instead"
"$bin/veltrane" --record out/veltrane.mp4 "$@"
echo "demo.sh: the demo is in $(pwd)/out/veltrane.mp4"
