#!/usr/bin/env bash
# Builds the static libtiff of the Win32 build from Debian's own source
# package, once per build folder; later runs reuse it.
# Usage: build-tiff-win32.sh DEST TOOLCHAIN_FILE ZLIB_DIR LIBJPEG_DIR
# ZLIB_DIR and LIBJPEG_DIR are what build-zlib-win32.sh and
# build-libjpeg-win32.sh left (lib/ and include/ each). Leaves DEST/lib/libtiff.a
# and DEST/include/{tiff.h,tiffio.h,tiffconf.h,tiffvers.h}: the library only,
# with DEFLATE through that zlib and JPEG through that libjpeg-turbo and no
# other outside codec (no webp, zstd, lzma, jbig, lerc, libdeflate), no
# tools, tests, contrib or docs.
set -euo pipefail
dest=$1 toolchain=$2 zlib=$3 libjpeg=$4
stamp="$dest/built.stamp"
if [ -f "$stamp" ] && [ -f "$dest/lib/libtiff.a" ] && [ -f "$dest/include/tiffio.h" ]; then
  exit 0
fi
for f in "$zlib/lib/libz.a" "$zlib/include/zlib.h" "$libjpeg/lib/libturbojpeg.a" "$libjpeg/include/jpeglib.h"; do
  [ -f "$f" ] || { echo "build-tiff-win32: missing $f (build zlib and libjpeg-turbo first)" >&2; exit 1; }
done

started=$(date +%s)
rm -rf "$dest"
mkdir -p "$dest/source" "$dest/lib" "$dest/include"
(cd "$dest/source" && apt-get source -qq tiff >/dev/null 2>"$dest/source/apt.log") || {
  cat "$dest/source/apt.log" >&2
  echo "build-tiff-win32: 'apt-get source tiff' failed (is there a deb-src entry? run tools/setup.sh)" >&2
  exit 1
}
src=$(find "$dest/source" -mindepth 1 -maxdepth 1 -type d -name 'tiff-*' | head -n 1)
[ -n "$src" ] || { echo "build-tiff-win32: no unpacked source in $dest/source" >&2; exit 1; }

# Every optional codec is named off, so that a library the build machine
# happens to have can never slip into the program. The static TurboJPEG
# library holds the whole libjpeg API that libtiff's JPEG codec calls.
cmake -S "$src" -B "$dest/build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$dest/install" \
  -DBUILD_SHARED_LIBS=OFF \
  -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
  -Dzlib=ON -DZLIB_INCLUDE_DIR="$zlib/include" -DZLIB_LIBRARY="$zlib/lib/libz.a" \
  -Djpeg=ON -DJPEG_INCLUDE_DIR="$libjpeg/include" -DJPEG_LIBRARY="$libjpeg/lib/libturbojpeg.a" \
  -Dold-jpeg=OFF -Djpeg12=OFF -Dpixarlog=OFF \
  -Dlibdeflate=OFF -Dwebp=OFF -Dzstd=OFF -Dlzma=OFF -Djbig=OFF -Dlerc=OFF \
  -Dtiff-opengl=OFF >"$dest/configure.log" 2>&1 || {
  cat "$dest/configure.log" >&2
  echo "build-tiff-win32: configuring libtiff failed" >&2
  exit 1
}
# The configure must have found both codecs: a libtiff without them would
# build and then refuse to compress.
for codec in "ZIP_SUPPORT 1" "JPEG_SUPPORT 1"; do
  grep -q "#define $codec" "$dest/build/libtiff/tiffconf.h" || {
    echo "build-tiff-win32: libtiff configured without ${codec% 1} (see $dest/configure.log)" >&2
    exit 1
  }
done
cmake --build "$dest/build" --target tiff -j"$(nproc)" >"$dest/build.log" 2>&1 || {
  tail -n 50 "$dest/build.log" >&2
  echo "build-tiff-win32: building libtiff failed" >&2
  exit 1
}

cp "$dest/build/libtiff/libtiff.a" "$dest/lib/"
cp "$src/libtiff/tiff.h" "$src/libtiff/tiffio.h" "$src/libtiff/tiffvers.h" "$dest/build/libtiff/tiffconf.h" \
  "$dest/include/"
echo "$(basename "$src") built in $(( $(date +%s) - started )) s" > "$stamp"
cat "$stamp"
