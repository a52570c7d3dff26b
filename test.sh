#!/usr/bin/env bash
# Installs what is missing, builds, generates Data/ and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
start=$(date +%s)
scripts/setup.sh default
ctest --preset default -j "$(nproc)" --timeout 600
echo "test.sh: done in $(( $(date +%s) - start )) s"
