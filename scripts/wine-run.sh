#!/usr/bin/env bash
# Runs a program of the Windows build under wine64, quietly, in a wine prefix
# of the build's own (made on first use, which takes some seconds).
# Usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINELOADER=/usr/lib/wine/wine64
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="} # no installers for .NET or HTML
exec /usr/lib/wine/wine64 "$@"
