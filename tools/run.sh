#!/usr/bin/env bash
# Builds quarvex.exe for x86 and x86-64 and opens the bundled sample map in
# one of them under Wine: the x86-64 build, or the x86 one with ARCH=x86.
# Without a display it starts a private Xvfb (nothing is visible then; the
# program runs until it is closed or Ctrl+C ends it).
# Usage: [ARCH=x86] tools/run.sh [IMAGE.jpg]   (BUILD names the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source tools/lib/win-builds.sh
build_root=${BUILD:-build}
bash tools/setup.sh
for folder in "${win_builds[@]}"; do
  configure_win_build "${BUILD:-build}/$folder" "$folder"
  cmake --build "${BUILD:-build}/$folder" --target quarvex -j"$(nproc)" >/dev/null
done
if [ "${ARCH:-x86_64}" = x86 ]; then arch=win32; else arch=win64; fi
if [ $arch = win32 ] && ! x86_runs_here; then
  echo "run: ARCH=x86 cannot run here: $(x86_missing_reason)." >&2
  echo "run: the x86 build is built ($build_root/win32/app/quarvex.exe); 'make run' opens the x86-64 one." >&2
  exit 1
fi
build="${BUILD:-build}/$arch"
export WINEARCH=$arch

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
