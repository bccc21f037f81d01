#!/usr/bin/env bash
# Builds the static zlib of the Win32 build from Debian's own source package,
# once per build folder; later runs reuse it.
# Usage: build-zlib-win32.sh DEST TOOLCHAIN_FILE
# Leaves DEST/lib/libz.a and DEST/include/{zlib.h,zconf.h}: the library only,
# no shared library, no examples.
set -euo pipefail
dest=$1 toolchain=$2
stamp="$dest/built.stamp"
if [ -f "$stamp" ] && [ -f "$dest/lib/libz.a" ] && [ -f "$dest/include/zlib.h" ]; then
  exit 0
fi

started=$(date +%s)
rm -rf "$dest"
mkdir -p "$dest/source" "$dest/lib" "$dest/include"
(cd "$dest/source" && apt-get source -qq zlib >/dev/null 2>"$dest/source/apt.log") || {
  cat "$dest/source/apt.log" >&2
  echo "build-zlib-win32: 'apt-get source zlib' failed (is there a deb-src entry? run tools/setup.sh)" >&2
  exit 1
}
src=$(find "$dest/source" -mindepth 1 -maxdepth 1 -type d -name 'zlib-*' | head -n 1)
[ -n "$src" ] || { echo "build-zlib-win32: no unpacked source in $dest/source" >&2; exit 1; }

cmake -S "$src" -B "$dest/build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$dest/install" >"$dest/configure.log" 2>&1 || {
  cat "$dest/configure.log" >&2
  echo "build-zlib-win32: configuring zlib failed" >&2
  exit 1
}
cmake --build "$dest/build" --target zlibstatic -j"$(nproc)" >"$dest/build.log" 2>&1 || {
  tail -n 50 "$dest/build.log" >&2
  echo "build-zlib-win32: building zlib failed" >&2
  exit 1
}

cp "$dest/build/libzlibstatic.a" "$dest/lib/libz.a"
cp "$src/zlib.h" "$dest/build/zconf.h" "$dest/include/"
echo "$(basename "$src") built in $(( $(date +%s) - started )) s" > "$stamp"
cat "$stamp"
