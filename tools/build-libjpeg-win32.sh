#!/usr/bin/env bash
# Builds the static libjpeg-turbo of the Win32 build from Debian's own source
# package, once per build folder; later runs reuse it.
# Usage: build-libjpeg-win32.sh DEST TOOLCHAIN_FILE
# Leaves DEST/lib/libturbojpeg.a, DEST/include/turbojpeg.h and the libjpeg
# headers (jpeglib.h with jconfig.h, jmorecfg.h, jerror.h). Only the static
# TurboJPEG library is built (it holds the whole codec, libjpeg's interface
# too): no shared libraries, no tools, no tests, no docs.
source "$(dirname "${BASH_SOURCE[0]}")/lib/win32-lib-build.sh"
dest=$1 toolchain=$2
win32_lib_reuse lib/libturbojpeg.a include/turbojpeg.h include/jpeglib.h

win32_lib_fetch libjpeg-turbo libjpeg-turbo
# REQUIRE_SIMD makes a missing nasm an error rather than a silently slow
# library.
win32_lib_configure \
  -DCMAKE_ASM_NASM_COMPILER=nasm \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF -DWITH_12BIT=OFF \
  -DREQUIRE_SIMD=ON
win32_lib_build turbojpeg-static

cp "$dest/build/libturbojpeg.a" "$dest/lib/"
cp "$src/turbojpeg.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$dest/build/jconfig.h" "$dest/include/"
win32_lib_stamp
