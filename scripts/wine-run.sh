#!/usr/bin/env bash
# Runs a program of the Windows build under wine64, quietly, in a wine prefix
# of the build's own (made on first use, which takes some seconds). The
# cross-built libraries' DLLs are found in build/windows-deps/prefix/bin
# unless WINEPATH says otherwise (an empty one: only beside the program).
# Usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPATH=${WINEPATH-$root/build/windows-deps/prefix/bin}
export WINELOADER=/usr/lib/wine/wine64
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="} # no installers for .NET or HTML
exec /usr/lib/wine/wine64 "$@"
