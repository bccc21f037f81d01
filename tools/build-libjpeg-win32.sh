#!/usr/bin/env bash
# Builds the static libjpeg-turbo of the Win32 build from Debian's own source
# package, once per build folder; later runs reuse it.
# Usage: build-libjpeg-win32.sh DEST TOOLCHAIN_FILE
# Leaves DEST/lib/libturbojpeg.a, DEST/include/turbojpeg.h and the libjpeg
# headers (jpeglib.h with jconfig.h, jmorecfg.h, jerror.h). Only the static
# TurboJPEG library is built (it holds the whole codec, libjpeg's interface
# too): no shared libraries, no tools, no tests, no docs.
set -euo pipefail
dest=$1 toolchain=$2
stamp="$dest/built.stamp"
if [ -f "$stamp" ] && [ -f "$dest/lib/libturbojpeg.a" ] && [ -f "$dest/include/turbojpeg.h" ] &&
  [ -f "$dest/include/jpeglib.h" ]; then
  exit 0
fi

started=$(date +%s)
rm -rf "$dest"
mkdir -p "$dest/source" "$dest/lib" "$dest/include"
# The source package unpacks (with Debian's patches applied) into
# libjpeg-turbo-<version>; apt-get needs a deb-src entry, which setup.sh adds.
(cd "$dest/source" && apt-get source -qq libjpeg-turbo >/dev/null 2>"$dest/source/apt.log") || {
  cat "$dest/source/apt.log" >&2
  echo "build-libjpeg-win32: 'apt-get source libjpeg-turbo' failed (is there a deb-src entry? run tools/setup.sh)" >&2
  exit 1
}
src=$(find "$dest/source" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
[ -n "$src" ] || { echo "build-libjpeg-win32: no unpacked source in $dest/source" >&2; exit 1; }

# The install prefix points into the build folder: its default on Windows
# (c:/libjpeg-turbo) breaks the package step. REQUIRE_SIMD makes a missing
# nasm an error rather than a silently slow library.
cmake -S "$src" -B "$dest/build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$dest/install" \
  -DCMAKE_ASM_NASM_COMPILER=nasm \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF -DWITH_12BIT=OFF \
  -DREQUIRE_SIMD=ON >"$dest/configure.log" 2>&1 || {
  cat "$dest/configure.log" >&2
  echo "build-libjpeg-win32: configuring libjpeg-turbo failed" >&2
  exit 1
}
cmake --build "$dest/build" --target turbojpeg-static -j"$(nproc)" >"$dest/build.log" 2>&1 || {
  tail -n 50 "$dest/build.log" >&2
  echo "build-libjpeg-win32: building libjpeg-turbo failed" >&2
  exit 1
}

cp "$dest/build/libturbojpeg.a" "$dest/lib/"
cp "$src/turbojpeg.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$dest/build/jconfig.h" "$dest/include/"
echo "$(basename "$src") built in $(( $(date +%s) - started )) s" > "$stamp"
cat "$stamp"
