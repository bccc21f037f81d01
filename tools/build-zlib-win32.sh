#!/usr/bin/env bash
# Builds the static zlib of the Win32 build from Debian's own source package,
# once per build folder; later runs reuse it.
# Usage: build-zlib-win32.sh DEST TOOLCHAIN_FILE
# Leaves DEST/lib/libz.a and DEST/include/{zlib.h,zconf.h}: the library only,
# no shared library, no examples.
source "$(dirname "${BASH_SOURCE[0]}")/lib/win32-lib-build.sh"
dest=$1 toolchain=$2
win32_lib_reuse lib/libz.a include/zlib.h

win32_lib_fetch zlib zlib
win32_lib_configure
win32_lib_build zlibstatic

cp "$dest/build/libzlibstatic.a" "$dest/lib/libz.a"
cp "$src/zlib.h" "$dest/build/zconf.h" "$dest/include/"
win32_lib_stamp
