#!/usr/bin/env bash
# Copy's bitmap for the clipboard in the 32-bit program's code under Wine:
# the banded fill from DIB rows beside one SetPixel call per pixel (the plain
# statement of Copy) on the same 1-MP image, then the whole Copy with the
# clipboard hand-over for the resampled images of the 27-MP and 108-MP scans.
# Run by 'make bench'; standalone: BENCH_BUILD=build/bench bash bench/clipboard_copy.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bench_build=${BENCH_BUILD:-${BUILD:-build}/bench}
win32_build="$bench_build-win32"
side=${PER_PIXEL_SIDE:-1000}

if [ ! -f "$win32_build/CMakeCache.txt" ]; then
  cmake -S . -B "$win32_build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$win32_build" --target bench_clipboard_copy -j"$(nproc)" >/dev/null

prefix="$root/$win32_build/wineprefix"
run() {
  if [ -n "${DISPLAY:-}" ]; then
    tools/wine-run.sh "$prefix" "$win32_build/bench/bench_clipboard_copy.exe" "$side"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" \
      tools/wine-run.sh "$prefix" "$win32_build/bench/bench_clipboard_copy.exe" "$side"
  fi
}
run 2>/dev/null | tr -d '\r' | awk '
  { ms[$1] = $4; w[$1] = $2; h[$1] = $3; if ($1 == "copy") { cw[++n] = $2; ch[n] = $3; cms[n] = $4 } }
  END {
    printf "bitmap of %d x %d: one SetPixel a pixel %.1f ms, banded DIB rows %.1f ms, ratio %.0f\n",
      w["banded"], h["banded"], ms["per-pixel"], ms["banded"], ms["per-pixel"] / ms["banded"]
    for (i = 1; i <= n; ++i)
      printf "Copy of a %d x %d resampled image (%.0f MP): %.1f ms%s\n", cw[i], ch[i], cw[i] * ch[i] / 1e6, cms[i],
        cms[i] < 0 ? " (failed: not enough memory)" : ""
  }'
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
