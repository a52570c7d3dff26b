#!/usr/bin/env bash
# Installs what is missing, builds, generates Data/ and plays the demo: in a
# window where there is a display, else (no display, or one that does not
# answer) recorded to a video file.
# Extra arguments go to the program (e.g. ./demo.sh --window).
set -euo pipefail
cd "$(dirname "$0")"
# The same build as ./test.sh, so the two share their work.
scripts/setup.sh default
bin=build/default/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # The program's own messages still reach the terminal as they come; a copy
  # tells a display that did not answer from any other failure.
  errors=$(mktemp)
  trap 'rm -f "$errors"' EXIT
  set +e
  { "$bin/veltrane" "$@" 2>&1 1>&3 3>&- | tee "$errors" 1>&2; status=${PIPESTATUS[0]}; } 3>&1
  set -e
  if [ "$status" -ne 1 ] || ! grep -q "cannot open the display" "$errors"; then
    exit "$status"
  fi
  echo "demo.sh: the display did not answer; recording the demo to a video instead"
else
  echo "demo.sh: no display found; recording the demo to a video instead"
fi
mkdir -p out
"$bin/veltrane" --record out/veltrane.mp4 "$@"
echo "demo.sh: the demo is in $(pwd)/out/veltrane.mp4"
