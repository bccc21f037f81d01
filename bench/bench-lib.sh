# Shared set-up of the benchmark scripts (sourced, not run): the build
# folders, building a timer natively or for Win32, the benchmark scans,
# djpeg's best time, and running a Win32 timer under Wine.
# Run by 'make bench' (tools/bench.sh sets BENCH_BUILD); each script also
# runs standalone: BENCH_BUILD=build/bench bash bench/NAME.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
source tools/lib/win-builds.sh
bench_build=${BENCH_BUILD:-${BUILD:-build}/bench}
# The Win32 timers: Release builds of their own beside the bench build, x86
# (win32) and x86-64 (win64), each run in a Wine prefix of its architecture.
win32_build="$bench_build-win32"
win64_build="$bench_build-win64"
repeats=${REPEATS:-3}

# The Win32 builds whose timers run here: both, or the x86-64 one alone on a
# machine that cannot start 32-bit programs. bench_arch carries the benches
# that run in one build: the x86 one (the smaller address space) where it can.
if x86_runs_here; then
  bench_arches=(win32 win64)
else
  bench_arches=(win64)
  echo "(x86 build skipped: $(x86_missing_reason); the x86-64 build runs alone)"
fi
bench_arch=${bench_arches[0]}

# arch_name win32|win64: the build as the tables name it.
arch_name() { if [ "$1" = win64 ]; then echo x86-64; else echo x86; fi; }

build_native_target() {
  if [ ! -f "$bench_build/CMakeCache.txt" ]; then
    cmake -S . -B "$bench_build" -DCMAKE_BUILD_TYPE=Release -DQUARVEX_SANITIZE=OFF >/dev/null
  fi
  cmake --build "$bench_build" --target "$1" -j"$(nproc)" >/dev/null
}

# build_win_target win32|win64 TARGET: a timer of the x86 or x86-64 build.
build_win_target() {
  local dir
  dir=$(win_build_dir "$1")
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    configure_win_build "$dir" "$1"
  fi
  cmake --build "$dir" --target "$2" -j"$(nproc)" >/dev/null
}

# The build folder of win32 or win64.
win_build_dir() {
  if [ "$1" = win64 ]; then echo "$win64_build"; else echo "$win32_build"; fi
}

# The Wine prefix of win32 or win64.
win_prefix() { echo "$root/$(win_build_dir "$1")/wineprefix"; }

# stop_wine win32|win64...: ends the Wine servers of those builds' prefixes.
stop_wine() {
  local arch
  for arch in "$@"; do WINEPREFIX="$(win_prefix "$arch")" wineserver -k 2>/dev/null || true; done
}

# run_wine_in win32|win64 PROGRAM ARGS...: runs a Win32 program under Wine in
# that build's prefix, with a private Xvfb when there is no display. Its
# windows are unmanaged: without a window manager under Xvfb, Wine would
# wait two seconds on every closed window.
run_wine_in() {
  local arch=$1 p
  shift
  p=$(win_prefix "$arch")
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

# A Linux path as Wine sees it: the Unix root is drive Z:.
wine_path() {
  local path
  path=$(realpath "$1")
  echo "Z:${path//\//\\}"
}

# best_ms COMMAND...: the best wall time of REPEATS runs of a command that
# must succeed, in milliseconds.
best_ms() {
  local best= start ms
  for _ in $(seq "$repeats"); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "$(basename "$0" .sh): $* failed" >&2; exit 1; }
    ms=$((($(date +%s%N) - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

# opj_ms FILE [ARGS...]: opj_decompress's own decode time on every core
# (header and decode, not the PPM it writes), best of REPEATS, in ms.
opj_ms() {
  local file=$1 best= ms ppm
  shift
  ppm=$(mktemp --suffix=.ppm)
  for _ in $(seq "$repeats"); do
    ms=$(opj_decompress -i "$file" -o "$ppm" -threads "$(nproc)" "$@" 2>/dev/null |
      sed -n 's/^decode time: \([0-9]*\) ms.*/\1/p')
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  rm -f "$ppm"
  echo "$best"
}
