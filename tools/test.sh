#!/usr/bin/env bash
# Builds every target and runs every test: the native core tests (with
# AddressSanitizer and UBSan), then the Win32 runners under Wine and Xvfb,
# those of the x86 build in a 32-bit prefix and those of the x86-64 build in
# a 64-bit one. Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD:-build}
jobs=$(nproc)

source tools/lib/win-builds.sh
bash tools/setup.sh || exit 1

echo "== native build"
cmake -S . -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
cmake --build "$build/native" -j"$jobs" >/dev/null || cmake --build "$build/native" || exit 1

for folder in "${win_builds[@]}"; do
  echo "== Win32 build ($folder)"
  started=$(date +%s)
  configure_win_build "$build/$folder" "$folder" || exit 1
  cmake --build "$build/$folder" -j"$jobs" >/dev/null || cmake --build "$build/$folder" || exit 1
  echo "== Win32 build ($folder) took $(( $(date +%s) - started )) s"
done

echo "== native tests"
(cd "$build/native" && ctest --output-on-failure -j"$jobs")
native_rc=$?

wine_rc=0
for folder in "${win_builds[@]}"; do
  arch=$folder
  echo "== Win32 tests under Wine ($folder)"
  started=$(date +%s)
  prefix="$root/$build/$folder/wineprefix"
  # A fresh throw-away prefix each run, never the user's ~/.wine.
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  rm -rf "$prefix"
  if [ -n "${DISPLAY:-}" ]; then
    WINEARCH=$arch tools/wine-tests.sh "$build/$folder" "$prefix" || wine_rc=1
  else
    WINEARCH=$arch xvfb-run -a -s "-screen 0 1280x1024x24" tools/wine-tests.sh "$build/$folder" "$prefix" || wine_rc=1
  fi
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  echo "== Win32 tests ($folder) took $(( $(date +%s) - started )) s"
done

[ $native_rc -eq 0 ] && [ $wine_rc -eq 0 ]
