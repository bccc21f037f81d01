#!/usr/bin/env bash
# Builds the static OpenJPEG (libopenjp2) of the Win32 build from Debian's
# own source package, once per build folder; later runs reuse it.
# Usage: build-openjpeg-win32.sh DEST TOOLCHAIN_FILE
# Leaves DEST/lib/libopenjp2.a and DEST/include/{openjpeg.h,opj_config.h,
# opj_stdint.h}: the library only, with its worker threads on Windows' own
# threads (kernel32 and the C runtime: nothing beside the program), and no
# codec tools, JPIP, third-party libraries, tests or docs.
source "$(dirname "${BASH_SOURCE[0]}")/lib/win32-lib-build.sh"
dest=$1 toolchain=$2
win32_lib_reuse lib/libopenjp2.a include/openjpeg.h include/opj_config.h

win32_lib_fetch openjpeg2 OpenJPEG
win32_lib_configure \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
  -DBUILD_CODEC=OFF -DBUILD_JPIP=OFF -DBUILD_JPIP_SERVER=OFF -DBUILD_THIRDPARTY=OFF \
  -DBUILD_VIEWER=OFF -DBUILD_JAVA=OFF -DBUILD_TESTING=OFF -DBUILD_DOC=OFF -DBUILD_PKGCONFIG_FILES=OFF \
  -DOPJ_USE_THREAD=ON
# Without a thread backend the library still builds, but decodes on one core
# whatever opj_codec_set_threads is told. CMake finds both the posix and the
# Windows threads of the toolchain; the library's Windows ones take precedence.
grep -q -- '-DMUTEX_win32' "$dest/build/src/lib/openjp2/CMakeFiles/openjp2.dir/flags.make" ||
  win32_lib_fail "OpenJPEG configured without threads (see $dest/configure.log)"
win32_lib_build openjp2

cp "$dest/build/bin/libopenjp2.a" "$dest/lib/"
cp "$src/src/lib/openjp2/openjpeg.h" "$src/src/lib/openjp2/opj_stdint.h" \
  "$dest/build/src/lib/openjp2/opj_config.h" "$dest/include/"
win32_lib_stamp
