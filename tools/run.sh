#!/usr/bin/env bash
# Builds quarvex.exe and opens the bundled sample map in it under Wine.
# Without a display it starts a private Xvfb (nothing is visible then; the
# program runs until it is closed or Ctrl+C ends it).
# Usage: tools/run.sh [IMAGE.jpg]   (BUILD names the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash tools/setup.sh
build="${BUILD:-build}/win32"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" --target quarvex -j"$(nproc)" >/dev/null

image=$(realpath "${1:-samples/sample_map.jpg}")
# Wine sees the Linux file system as drive Z:.
windows_path="Z:${image//\//\\}"
# A prefix of its own that stays between runs (the tests make theirs anew).
prefix="$root/$build/wineprefix-run"

echo "run: $build/app/quarvex.exe $windows_path"
if [ -n "${DISPLAY:-}" ]; then
  exec tools/wine-run.sh "$prefix" "$build/app/quarvex.exe" "$windows_path"
fi
echo "run: no display (DISPLAY is not set): starting Xvfb; the window cannot be seen." >&2
exec xvfb-run -a -s "-screen 0 1280x1024x24" tools/wine-run.sh "$prefix" "$build/app/quarvex.exe" "$windows_path"
