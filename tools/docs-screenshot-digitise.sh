#!/usr/bin/env bash
# Makes docs/quarvex-digitising.png: digitising on the bundled sample map
# with the map read-out in the status line, captured by the GUI session
# tests' own machinery under Wine and Xvfb.
# Usage: tools/docs-screenshot-digitise.sh (BUILD as for make test)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="${BUILD:-build}/win32"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" --target app_session_tests -j"$(nproc)" >/dev/null

prefix="$root/$build/wineprefix-docs"
bmp=$(mktemp --suffix=.bmp)
trap 'rm -f "$bmp"' EXIT
run() {
  xvfb-run -a -s "-screen 0 1280x1024x24" tools/wine-run.sh "$prefix" "$@"
}
# Windows drawn by Wine itself: no window manager runs under Xvfb.
run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
QUARVEX_DIGITISE_SCREENSHOT="Z:${bmp//\//\\}" run "$build/tests/win/app/app_session_tests.exe" \
  --gtest_filter=DocsScreenshot.* >/dev/null
convert "$bmp" docs/quarvex-digitising.png
echo "docs/quarvex-digitising.png"
