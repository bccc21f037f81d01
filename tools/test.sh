#!/usr/bin/env bash
# Builds both targets and runs every test: the native core tests (with
# AddressSanitizer and UBSan), then the Win32 runners under Wine and Xvfb.
# Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD:-build}
jobs=$(nproc)

bash tools/setup.sh || exit 1

echo "== native build"
cmake -S . -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
cmake --build "$build/native" -j"$jobs" >/dev/null || cmake --build "$build/native" || exit 1

echo "== Win32 build"
cmake -S . -B "$build/win32" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null || exit 1
cmake --build "$build/win32" -j"$jobs" >/dev/null || cmake --build "$build/win32" || exit 1

echo "== native tests"
(cd "$build/native" && ctest --output-on-failure -j"$jobs")
native_rc=$?

echo "== Win32 tests under Wine"
prefix="$root/$build/win32/wineprefix"
# A fresh throw-away prefix each run, never the user's ~/.wine.
WINEPREFIX="$prefix" wineserver -k 2>/dev/null
rm -rf "$prefix"
if [ -n "${DISPLAY:-}" ]; then
  tools/wine-tests.sh "$build/win32" "$prefix"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" tools/wine-tests.sh "$build/win32" "$prefix"
fi
wine_rc=$?
WINEPREFIX="$prefix" wineserver -k 2>/dev/null

[ $native_rc -eq 0 ] && [ $wine_rc -eq 0 ]
