#!/usr/bin/env bash
# Cross-builds the 64-bit Windows program with mingw-w64: installs the cross
# tool chain and wine, fetches Debian's sources of the libraries the program
# links (SDL2, libopenmpt, freetype, libmspack), cross-builds each once into
# build/windows-deps/prefix with GoogleTest, then configures and builds the
# windows preset.
# Usage: scripts/windows.sh [--deps-only] [--package]
#   --deps-only  stop once the dependencies are built
#   --package    also zip the programs, their DLLs, Data/, the library's
#                header and import library, a README and the licences into
#                build/windows/package/veltrane-windows-x86_64.zip
set -euo pipefail
cd "$(dirname "$0")/.."

DEPS_ONLY=0
PACKAGE=0
for arg in "$@"; do
  case "$arg" in
    --deps-only) DEPS_ONLY=1 ;;
    --package) PACKAGE=1 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "windows: unknown option $arg (try --help)" >&2; exit 2 ;;
  esac
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# gcc is freetype's build-machine compiler; libfreetype6 is the Linux freetype
# whose exact source version the Windows one is built from.
PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
          wine wine64 dpkg-dev cmake ninja-build pkg-config make gcc zip xvfb
          googletest libfreetype6 python3 xdotool)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "windows: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Debian's source packages: a deb-src twin of every deb stanza of the system's
# debian.sources, in a file of our own.
SYSTEM_SOURCES=/etc/apt/sources.list.d/debian.sources
SRC_SOURCES=/etc/apt/sources.list.d/veltrane-windows-src.sources
if [ ! -f "$SRC_SOURCES" ]; then
  [ -f "$SYSTEM_SOURCES" ] || { echo "windows: $SYSTEM_SOURCES not found" >&2; exit 1; }
  echo "windows: adding deb-src entries in $SRC_SOURCES"
  awk 'BEGIN { RS = ""; ORS = "" }
       /(^|\n)Types:[^\n]*deb/ {
         out = ""
         n = split($0, line, "\n")
         for (i = 1; i <= n; i++) {
           if (line[i] ~ /^#/) continue
           if (line[i] ~ /^Types:/) line[i] = "Types: deb-src"
           out = out line[i] "\n"
         }
         if (count++) printf "\n"
         printf "%s", out
       }' "$SYSTEM_SOURCES" | $SUDO tee "$SRC_SOURCES" >/dev/null
  $SUDO apt-get update -qq
elif ! apt-cache showsrc libmspack 2>/dev/null | grep -q '^Package:'; then
  $SUDO apt-get update -qq
fi

DEPS="$PWD/build/windows-deps"
SRC="$DEPS/src"
WORK="$DEPS/build"
PREFIX="$DEPS/prefix"
LOGS="$DEPS/logs"
STAMPS="$DEPS/stamps"
TOOLCHAIN="$PWD/cmake/mingw-w64-x86_64.cmake"
HOST=x86_64-w64-mingw32
JOBS=$(nproc)
mkdir -p "$SRC" "$WORK" "$PREFIX" "$LOGS" "$STAMPS"
DEPS_START=$SECONDS
exec 3>&1

# The freetype the Linux build links: its glyphs must come out the same.
FREETYPE_VERSION=$(dpkg-query -W -f='${source:Version}' libfreetype6)

# fetch PACKAGE VERSION: apt-get source into $SRC, once; sets SOURCE_DIR.
fetch() {
  local pkg=$1 version=$2 upstream dir
  upstream=${version#*:}
  upstream=${upstream%-*}
  dir="$SRC/$pkg-$upstream"
  if [ ! -f "$dir.fetched" ]; then
    echo "windows: fetching $pkg $version" >&3
    rm -rf "$dir"
    (cd "$SRC" && apt-get source -q "$pkg=$version")
    touch "$dir.fetched"
  fi
  SOURCE_DIR=$dir
}

# step NAME FUNCTION: fetches and builds one dependency once, logged and
# timed; its stamp in $STAMPS makes a later run skip it.
step() {
  local name=$1 build=$2 rc start=$SECONDS
  if [ -f "$STAMPS/$name" ]; then
    echo "windows: $name already built"
    return 0
  fi
  echo "windows: building $name ..."
  set +e
  (set -e; "$build") >"$LOGS/$name.log" 2>&1
  rc=$?
  set -e
  if [ $rc -ne 0 ]; then
    echo "windows: building $name failed; end of $LOGS/$name.log:" >&2
    tail -n 40 "$LOGS/$name.log" >&2
    exit 1
  fi
  touch "$STAMPS/$name"
  echo "windows: $name built in $((SECONDS - start)) s"
}

# The autotools builds cross-compile with the -posix compilers and see only
# the prefix's pkg-config files.
autotools_env() {
  export CC=$HOST-gcc-posix CXX=$HOST-g++-posix CFLAGS=-O2 CXXFLAGS=-O2
  export PKG_CONFIG=pkg-config PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig" PKG_CONFIG_PATH=
}

cmake_dep() { # cmake_dep NAME SOURCE ARGS...
  local name=$1 source=$2
  shift 2
  rm -rf "${WORK:?}/$name"
  cmake -S "$source" -B "$WORK/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@"
  cmake --build "$WORK/$name" -j "$JOBS"
  cmake --install "$WORK/$name" --strip
}

autotools_dep() { # autotools_dep NAME SOURCE ARGS...
  local name=$1 source=$2
  shift 2
  rm -rf "${WORK:?}/$name"
  mkdir -p "$WORK/$name"
  cd "$WORK/$name"
  autotools_env
  "$source/configure" --host=$HOST --prefix="$PREFIX" --disable-shared --enable-static "$@"
  make -j "$JOBS"
  make install
}

# public_private_libs FILE.pc: a static library's own dependencies moved from
# Libs.private to Libs, which is all CMake's pkg_check_modules reads.
public_private_libs() {
  local pc=$1 private
  private=$(sed -n 's/^Libs\.private: *//p' "$pc")
  sed -i -e "s|^Libs: .*|& $private|" -e 's|^Libs\.private:.*|Libs.private:|' "$pc"
}

# SDL2.dll beside the programs; SDL2main and the import library in the prefix.
build_sdl2() {
  fetch libsdl2 2.26.5+dfsg-1
  cmake_dep sdl2 "$SOURCE_DIR" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL_TESTS=OFF
}

# A static libopenmpt with no codec libraries and no player; .it, .xm, .mod
# and .s3m need none of them. Programs link it with a static libstdc++, so
# the Windows libraries it calls go into Libs: CMake's pkg_check_modules
# does not read Libs.private.
build_libopenmpt() {
  fetch libopenmpt 0.6.9-1
  autotools_dep libopenmpt "$SOURCE_DIR" --disable-openmpt123 --disable-examples --disable-tests \
    --disable-doxygen-doc --without-zlib --without-mpg123 --without-ogg --without-vorbis \
    --without-vorbisfile --without-pulseaudio --without-portaudio --without-portaudiocpp \
    --without-sdl2 --without-sndfile --without-flac
  public_private_libs "$PREFIX/lib/pkgconfig/libopenmpt.pc"
}

# A static freetype with Debian's patches and options, without the libraries
# only colour and web fonts need; gzip-packed fonts through the tool chain's
# static zlib (its own copy would clash with that zlib in the programs that
# use both). Its Windows and zlib libraries go into Libs, as for libopenmpt.
build_freetype() {
  fetch freetype "$FREETYPE_VERSION"
  autotools_dep freetype "$SOURCE_DIR" --without-harfbuzz --without-bzip2 --without-png \
    --without-brotli --with-zlib=yes
  public_private_libs "$PREFIX/lib/pkgconfig/freetype2.pc"
  sed -i 's|^\(Libs: .*\) -lz\b|\1 -l:libz.a|' "$PREFIX/lib/pkgconfig/freetype2.pc" # not zlib1.dll
}

# libmspack-0.dll beside zentrix.dll: a library under the LGPL stays one
# that its users can replace.
build_libmspack() {
  fetch libmspack 0.11-1
  autotools_dep libmspack "$SOURCE_DIR" --enable-shared --disable-static
}

build_googletest() {
  cmake_dep googletest /usr/src/googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
}

step sdl2 build_sdl2
step libopenmpt build_libopenmpt
# Named with the version, so that an updated Linux freetype is rebuilt.
step "freetype-$FREETYPE_VERSION" build_freetype
step libmspack-shared build_libmspack
step googletest build_googletest
echo "windows: dependencies ready in $PREFIX ($((SECONDS - DEPS_START)) s)"

[ "$DEPS_ONLY" -eq 1 ] && exit 0

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$JOBS"

# The package: the programs, the DLLs they load that are ours or the
# prefix's (followed through their own imports; the rest are Windows' own),
# Data/ as the build's datagen.exe wrote it, the library's header and import
# library, a README and the licences of what is built in.
package() {
  local bin=build/windows/bin out=build/windows/package
  local stage=$out/veltrane zipfile=$out/veltrane-windows-x86_64.zip
  local queue file dll dir exe system=()
  for exe in veltrane zentrix-tool datagen; do
    [ -f "$bin/$exe.exe" ] || { echo "windows: $bin/$exe.exe missing" >&2; exit 1; }
  done
  [ -f "$bin/Data/.generated" ] || { echo "windows: $bin/Data missing (is wine64 installed?)" >&2; exit 1; }
  rm -rf "$out"
  mkdir -p "$stage/sdk" "$stage/licenses"
  queue=()
  for exe in veltrane zentrix-tool datagen; do
    cp "$bin/$exe.exe" "$stage/"
    queue+=("$stage/$exe.exe")
  done
  cp -r "$bin/Data" "$stage/"
  rm -f "$stage/Data/.generated"
  while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r dll; do
      [ -e "$stage/$dll" ] && continue
      for dir in "$bin" "$PREFIX/bin" ""; do
        [ -z "$dir" ] && { system+=("$dll"); break; }
        [ -f "$dir/$dll" ] || continue
        cp "$dir/$dll" "$stage/"
        queue+=("$stage/$dll")
        break
      done
    done < <($HOST-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
  done
  $HOST-strip --strip-debug "$stage"/*.exe "$stage"/*.dll # the build keeps its debug information
  cp zentrix/include/zentrix.h build/windows/zentrix/libzentrix.dll.a "$stage/sdk/"
  sed 's/$/\r/' scripts/windows/README.txt >"$stage/README.txt"
  cp "$SRC"/libsdl2-*/LICENSE.txt "$stage/licenses/SDL2.txt"
  cp "$SRC"/libopenmpt-*/LICENSE "$stage/licenses/libopenmpt.txt"
  cp "$SRC"/freetype-*/docs/FTL.TXT "$stage/licenses/FreeType.txt"
  cp "$SRC"/libmspack-*/COPYING.LIB "$stage/licenses/libmspack.txt"
  cp /usr/share/doc/libz-mingw-w64-dev/copyright "$stage/licenses/zlib.txt"
  cp /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64-runtime.txt"
  cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime.txt"
  rm -f "$zipfile"
  (cd "$out" && zip -qr "${zipfile##*/}" veltrane)
  echo "windows: $zipfile ($(du -k "$zipfile" | cut -f1) KiB): $(cd "$stage" && ls -d -- *.exe *.dll | tr '\n' ' ')+ Data/"
  echo "windows: from Windows itself: $(printf '%s\n' "${system[@]}" | sort -fu | tr '\n' ' ')"
}

[ "$PACKAGE" -eq 1 ] && package
exit 0
