# Shared set-up of the benchmark scripts (sourced, not run): the build
# folders, building a timer natively or for Win32, the benchmark scans,
# djpeg's best time, and running a Win32 timer under Wine.
# Run by 'make bench' (tools/bench.sh sets BENCH_BUILD); each script also
# runs standalone: BENCH_BUILD=build/bench bash bench/NAME.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
bench_build=${BENCH_BUILD:-${BUILD:-build}/bench}
# The Win32 timers: Release builds of their own beside the bench build, x86
# (win32) and x86-64 (win64), each run in a Wine prefix of its architecture.
win32_build="$bench_build-win32"
win64_build="$bench_build-win64"
prefix="$root/$win32_build/wineprefix"
prefix64="$root/$win64_build/wineprefix"
repeats=${REPEATS:-3}

build_native_target() {
  if [ ! -f "$bench_build/CMakeCache.txt" ]; then
    cmake -S . -B "$bench_build" -DCMAKE_BUILD_TYPE=Release -DQUARVEX_SANITIZE=OFF >/dev/null
  fi
  cmake --build "$bench_build" --target "$1" -j"$(nproc)" >/dev/null
}

build_win32_target() {
  if [ ! -f "$win32_build/CMakeCache.txt" ]; then
    cmake -S . -B "$win32_build" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  fi
  cmake --build "$win32_build" --target "$1" -j"$(nproc)" >/dev/null
}

# build_win_target win32|win64 TARGET: a timer of the x86 or x86-64 build.
build_win_target() {
  local dir toolchain
  if [ "$1" = win64 ]; then dir=$win64_build toolchain=mingw-x86_64; else dir=$win32_build toolchain=mingw-i686; fi
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" >/dev/null
  fi
  cmake --build "$dir" --target "$2" -j"$(nproc)" >/dev/null
}

# The build folder of win32 or win64.
win_build_dir() {
  if [ "$1" = win64 ]; then echo "$win64_build"; else echo "$win32_build"; fi
}

# run_wine_in win32|win64 PROGRAM ARGS...: as run_wine, in that build's prefix.
# Its windows are unmanaged: without a window manager under Xvfb, Wine would
# wait two seconds on every closed window.
run_wine_in() {
  local arch=$1 p=$prefix
  shift
  [ "$arch" = win64 ] && p=$prefix64
  if [ ! -f "$p/system.reg" ]; then
    WINEARCH=$arch tools/wine-run.sh "$p" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  fi
  if [ -n "${DISPLAY:-}" ]; then
    WINEARCH=$arch tools/wine-run.sh "$p" "$@"
  else
    WINEARCH=$arch xvfb-run -a -s "-screen 0 1280x1024x24" tools/wine-run.sh "$p" "$@"
  fi
}

# Makes the 27-MP and 108-MP scans once and prints their folder.
bench_scans() {
  bash bench/make_scans.sh "$bench_build/data" | tail -n 1
}

# Best wall time of djpeg writing PPM to /dev/null, in milliseconds.
time_djpeg() {
  local best=
  for _ in $(seq "$repeats"); do
    local start end ms
    start=$(date +%s%N)
    djpeg -ppm -outfile /dev/null "$1"
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

# Runs a Win32 program under Wine in the bench prefix, with a private Xvfb
# when there is no display.
run_wine() {
  if [ -n "${DISPLAY:-}" ]; then
    tools/wine-run.sh "$prefix" "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" tools/wine-run.sh "$prefix" "$@"
  fi
}

# A Linux path as Wine sees it: the Unix root is drive Z:.
wine_path() {
  local path
  path=$(realpath "$1")
  echo "Z:${path//\//\\}"
}
