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
source "$(dirname "${BASH_SOURCE[0]}")/lib/win32-lib-build.sh"
dest=$1 toolchain=$2 zlib=$3 libjpeg=$4
win32_lib_reuse lib/libtiff.a include/tiffio.h
for f in "$zlib/lib/libz.a" "$zlib/include/zlib.h" "$libjpeg/lib/libturbojpeg.a" "$libjpeg/include/jpeglib.h"; do
  [ -f "$f" ] || win32_lib_fail "missing $f (build zlib and libjpeg-turbo first)"
done

win32_lib_fetch tiff libtiff
# Every optional codec is named off, so that a library the build machine
# happens to have can never slip into the program. The static TurboJPEG
# library holds the whole libjpeg API that libtiff's JPEG codec calls.
win32_lib_configure \
  -DBUILD_SHARED_LIBS=OFF \
  -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
  -Dzlib=ON -DZLIB_INCLUDE_DIR="$zlib/include" -DZLIB_LIBRARY="$zlib/lib/libz.a" \
  -Djpeg=ON -DJPEG_INCLUDE_DIR="$libjpeg/include" -DJPEG_LIBRARY="$libjpeg/lib/libturbojpeg.a" \
  -Dold-jpeg=OFF -Djpeg12=OFF -Dpixarlog=OFF \
  -Dlibdeflate=OFF -Dwebp=OFF -Dzstd=OFF -Dlzma=OFF -Djbig=OFF -Dlerc=OFF \
  -Dtiff-opengl=OFF
# The configure must have found both codecs: a libtiff without them would
# build and then refuse to compress.
for codec in "ZIP_SUPPORT 1" "JPEG_SUPPORT 1"; do
  grep -q "#define $codec" "$dest/build/libtiff/tiffconf.h" ||
    win32_lib_fail "libtiff configured without ${codec% 1} (see $dest/configure.log)"
done
win32_lib_build tiff

cp "$dest/build/libtiff/libtiff.a" "$dest/lib/"
cp "$src/libtiff/tiff.h" "$src/libtiff/tiffio.h" "$src/libtiff/tiffvers.h" "$dest/build/libtiff/tiffconf.h" \
  "$dest/include/"
win32_lib_stamp
