# Shared set-up of the benchmark scripts (sourced, not run): the build
# folders, building a timer natively or for Win32, the benchmark scans,
# djpeg's best time, and running a Win32 timer under Wine.
# Run by 'make bench' (tools/bench.sh sets BENCH_BUILD); each script also
# runs standalone: BENCH_BUILD=build/bench bash bench/NAME.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
bench_build=${BENCH_BUILD:-${BUILD:-build}/bench}
# The Win32 timers: a Release build of their own beside the bench build.
win32_build="$bench_build-win32"
prefix="$root/$win32_build/wineprefix"
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
