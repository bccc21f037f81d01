#!/usr/bin/env bash
# Builds the static libpng of the Win32 build from Debian's own source
# package, once per build folder; later runs reuse it.
# Usage: build-png-win32.sh DEST TOOLCHAIN_FILE ZLIB_DIR
# ZLIB_DIR is what build-zlib-win32.sh left (lib/ and include/). Leaves
# DEST/lib/libpng.a and DEST/include/{png.h,pngconf.h,pnglibconf.h}: the
# library only, over that zlib, no shared library, tools or tests.
source "$(dirname "${BASH_SOURCE[0]}")/lib/win32-lib-build.sh"
dest=$1 toolchain=$2 zlib=$3
win32_lib_reuse lib/libpng.a include/png.h
for f in "$zlib/lib/libz.a" "$zlib/include/zlib.h"; do
  [ -f "$f" ] || win32_lib_fail "missing $f (build zlib first)"
done

win32_lib_fetch libpng1.6 libpng
win32_lib_configure \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
  -DZLIB_INCLUDE_DIR="$zlib/include" -DZLIB_LIBRARY="$zlib/lib/libz.a"
win32_lib_build png_static

# The archive is named libpng16.a or libpng16_static.a, by the CMake version.
archive=$(find "$dest/build" -maxdepth 1 -name 'libpng16*.a' | head -n 1)
[ -n "$archive" ] || win32_lib_fail "no static libpng in $dest/build (see $dest/build.log)"
cp "$archive" "$dest/lib/libpng.a"
cp "$src/png.h" "$src/pngconf.h" "$dest/build/pnglibconf.h" "$dest/include/"
win32_lib_stamp
