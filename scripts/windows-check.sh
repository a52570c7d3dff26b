#!/usr/bin/env bash
# Checks the Windows package (unzipped into a folder of its own, as a user
# would) against the Linux build (build/default) under wine64: datagen.exe
# writes the same bytes, the demo's frames at six positions match,
# zentrix-tool.exe prints the same, the window closes on Escape within 5 s
# under Xvfb, and the library's suite (build/windows) passes.
# Run ./test.sh (or scripts/setup.sh) and scripts/windows.sh --package first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
lin=$root/build/default/bin
zip=$root/build/windows/package/veltrane-windows-x86_64.zip
out=$root/build/windows/check
win=$out/veltrane
tests=$root/build/windows/bin/zentrix_tests.exe
wine=$root/scripts/wine-run.sh
export WINEPREFIX=$root/build/windows/wine
export WINEPATH= # the package finds its DLLs beside its programs or not at all
for f in "$lin/veltrane" "$lin/datagen" "$lin/zentrix-tool" "$zip" "$tests"; do
  [ -f "$f" ] || { echo "windows-check: $f is missing (build both first)"; exit 1; }
done
rm -rf "$out"
mkdir -p "$out"
(cd "$out" && unzip -q "$zip")
failed=0
fail() { echo "windows-check: FAILED: $*"; failed=1; }
started=$(date +%s)
step() { echo "windows-check: $* ($(( $(date +%s) - started )) s)"; }

# One wine server for all the steps (each program would otherwise start and
# stop its own), detached from our output so that nothing waits on it.
step "starting wine"
WINEPREFIX=$WINEPREFIX wineserver -p </dev/null >/dev/null 2>&1
"$wine" wineboot </dev/null >/dev/null 2>&1 || true
trap 'WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true' EXIT

step "datagen.exe against datagen"
"$lin/datagen" "$out/data-linux" >/dev/null
"$wine" "$win/datagen.exe" "$out/data-windows" >/dev/null
# The package's own Data/ is what datagen.exe wrote when the build ran it.
for made in "$out/data-windows" "$win/Data"; do
  if diff -r "$out/data-linux" "$made" >"$out/data.diff"; then
    echo "  ${made#$out/}: $(find "$made" -type f | wc -l) files, the same bytes"
  else
    fail "${made#$out/} differs from the Linux datagen's: $(head -5 "$out/data.diff")"
  fi
done

positions=2:32,9:00,12:40,20:30,27:20,46:00
step "frames at $positions"
"$lin/veltrane" --data "$out/data-linux" --frames "$out/frames-linux" --at $positions >"$out/frames.log" 2>&1
"$wine" "$win/veltrane.exe" --frames "$out/frames-windows" --at $positions >>"$out/frames.log" 2>&1
for png in "$out"/frames-linux/*.png; do
  name=$(basename "$png")
  if [ ! -f "$out/frames-windows/$name" ]; then
    fail "no Windows frame $name"
  elif cmp -s "$png" "$out/frames-windows/$name"; then
    echo "  $name identical"
  else
    # Where the C runtimes' maths differ by a last bit: at most 0.1% of the
    # pixels, by at most 2 levels.
    result=$(python3 scripts/pngdiff.py "$png" "$out/frames-windows/$name" --max-share 0.001 --max-level 2) \
      && echo "  $name: $result" || fail "$name: $result"
  fi
done

step "zentrix-tool.exe info"
pcx=$(cd "$out/data-linux" && find . -maxdepth 1 -iname '*.pcx' | sort | head -n1)
(cd "$out/data-linux" && "$lin/zentrix-tool" info "$pcx") >"$out/info-linux.txt"
(cd "$out/data-linux" && "$wine" "$win/zentrix-tool.exe" info "$pcx") | tr -d '\r' >"$out/info-windows.txt"
if cmp -s "$out/info-linux.txt" "$out/info-windows.txt"; then
  echo "  $(head -n1 "$out/info-windows.txt")"
else
  fail "zentrix-tool.exe info printed otherwise: $(diff "$out/info-linux.txt" "$out/info-windows.txt" | head -5)"
fi

step "veltrane.exe in a window under Xvfb, closed by Escape"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out/display" >"$out/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$out/display")
"$wine" "$win/veltrane.exe" --window >"$out/window.log" 2>&1 &
demo=$!
if wid=$(timeout 60 xdotool search --sync --name '^Veltrane$' | head -n1) && [ -n "$wid" ]; then
  sleep 2
  xdotool windowfocus --sync "$wid" key Escape || true
  pressed=$(date +%s%N)
  for _ in $(seq 50); do kill -0 $demo 2>/dev/null || break; sleep 0.1; done
  if kill -0 $demo 2>/dev/null; then
    fail "the window was still open 5 s after Escape"
    kill $demo 2>/dev/null || true
  else
    wait $demo && echo "  closed $(( ($(date +%s%N) - pressed) / 1000000 )) ms after Escape" || fail "exit status $? after Escape"
  fi
else
  fail "no window appeared within 60 s: $(tail -3 "$out/window.log")"
  kill $demo 2>/dev/null || true
fi
kill $xvfb 2>/dev/null || true
unset DISPLAY

step "zentrix_tests.exe"
if (cd "$out" && WINEPATH=$root/build/windows-deps/prefix/bin "$wine" "$tests" --gtest_brief=1) >"$out/tests.log" 2>&1; then
  grep -a 'PASSED' "$out/tests.log" | tr -d '\r' | sed 's/^/  /'
else
  fail "zentrix_tests.exe: $(grep -a -E 'FAILED|rror' "$out/tests.log" | tr -d '\r' | head -10)"
fi

step "done"
exit $failed
