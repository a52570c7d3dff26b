#!/bin/sh
# zentrix-tool on what it cannot use: a folder, a missing or unreadable file,
# a device, an output name of another format, a full disk. Each gives one
# line "zentrix-tool: FILE: reason" and status 1 (2 for a bad output name),
# never an abort; decode writes the format its output name asks for.
# Usage: ToolRefusals.sh TOOL DATA SCRATCH
tool=$1 data=$2 dir=$3
rm -rf "$dir" && mkdir -p "$dir" || exit 1
fails=0
expect() { # STATUS PATTERN COMMAND...
  want=$1 pattern=$2; shift 2
  out=$("$@" 2>&1 >/dev/null); got=$?
  lines=$(printf '%s\n' "$out" | grep -c .)
  if [ "$got" != "$want" ] || ! printf '%s' "$out" | grep -q -- "$pattern" || [ "$lines" != 1 ]; then
    echo "FAIL: $* -> status $got (want $want), output: $out"; fails=$((fails + 1))
  fi
}
printf 'x' > "$dir/unreadable.pcx" && chmod 000 "$dir/unreadable.pcx"
for cmd in info "decode" mesh; do
  extra=""; [ $cmd = decode ] && extra="$dir/out.png"
  expect 1 "zentrix-tool: $dir: is a folder" "$tool" $cmd "$dir" $extra
  expect 1 "zentrix-tool: $dir/none.pcx: No such file" "$tool" $cmd "$dir/none.pcx" $extra
  expect 1 "zentrix-tool: /dev/zero: not a regular file" "$tool" $cmd /dev/zero $extra
  # root reads anything: the unreadable case only means something for others
  [ "$(id -u)" = 0 ] || expect 1 "unreadable.pcx: Permission denied" "$tool" $cmd "$dir/unreadable.pcx" $extra
done
expect 2 "must end in .png or .bmp" "$tool" decode "$data/MetalTexture.pcx" "$dir/out.gif"
expect 2 "must end in .png or .bmp" "$tool" decode "$data/MetalTexture.pcx" /dev/full
out=$("$tool" info "$data/Flipper.pcx" 2>&1 >/dev/full); st=$?
[ $st = 1 ] && printf '%s' "$out" | grep -q "cannot write the output" || { echo "FAIL: stdout to /dev/full -> $st $out"; fails=$((fails + 1)); }
"$tool" decode "$data/MetalTexture.pcx" "$dir/m.bmp" >/dev/null && "$tool" decode "$data/MetalTexture.pcx" "$dir/m.png" >/dev/null
[ "$(head -c 2 "$dir/m.bmp")" = BM ] || { echo "FAIL: m.bmp is not a BMP"; fails=$((fails + 1)); }
[ "$(head -c 4 "$dir/m.png" | tail -c 3)" = PNG ] || { echo "FAIL: m.png is not a PNG"; fails=$((fails + 1)); }
chmod 600 "$dir/unreadable.pcx"; rm -rf "$dir"
[ $fails = 0 ]
